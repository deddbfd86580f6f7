#include "jobs/JobHistory.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace marlet;
namespace fs = std::filesystem;

namespace {

std::string writeJob(const TempFolder& folder, const std::string& bytes) {
    std::string path = folder.file("queue.printing");
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int modeOf(const std::string& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode & 0777;
}

// The number the history gives the job, or 0 when it keeps none.
int keep(JobHistory& history, const std::string& path, HistoryLimits limits,
         JobRecord record = {}) {
    return history.add(path, record, limits) ? record.number : 0;
}

std::vector<int> numbers(const JobHistory& history) {
    std::vector<int> found;
    for (const JobRecord& record : history.list())
        found.push_back(record.number);
    return found;
}

} // namespace

TEST(JobHistoryTest, AJobIsKeptPrivatelyWithItsRecordAndReadsBack) {
    TempFolder folder;
    JobHistory history(folder.file("state/marlet/jobs"));
    JobRecord record;
    record.when = 1796600000;
    record.source = "/home/ann/.local/state/marlet/prnspl";
    record.destination = "PDF printer";
    record.scheme = "Epson ESC-P 9-pin";
    record.codePage = "866";
    record.message = "two\nlines \\ here";
    ASSERT_TRUE(
        history.add(writeJob(folder, std::string("\x1B@Invoice\r\n\f", 12)), record, {10, 1}));
    EXPECT_EQ(record.number, 1);
    EXPECT_EQ(record.size, 12u);
    EXPECT_EQ(modeOf(history.folder()), 0700);
    EXPECT_EQ(modeOf(history.bytesPath(1)), 0600);
    EXPECT_EQ(modeOf(history.folder() + "/1.job"), 0600);
    EXPECT_EQ(readAll(history.bytesPath(1)), std::string("\x1B@Invoice\r\n\f", 12));

    std::optional<JobRecord> kept = history.find(1);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->number, 1);
    EXPECT_EQ(kept->size, 12u);
    EXPECT_EQ(kept->when, 1796600000);
    EXPECT_EQ(kept->source, record.source);
    EXPECT_EQ(kept->scheme, record.scheme);
    EXPECT_EQ(kept->message, record.message);
    EXPECT_EQ(kept->status, JobStatus::Printing);

    kept->status = JobStatus::Printed;
    kept->pages = 3;
    kept->destination = "/home/ann/PDF/DOS-console task 2026-12-07 07-00-00.pdf";
    history.update(*kept);
    EXPECT_EQ(history.find(1)->status, JobStatus::Printed);
    EXPECT_EQ(history.find(1)->pages, 3);
    EXPECT_EQ(history.find(1)->destination, kept->destination);

    EXPECT_EQ(keep(history, writeJob(folder, "second"), {10, 1}), 2);
    EXPECT_EQ(numbers(history), (std::vector<int>{1, 2}));
    EXPECT_TRUE(history.remove(1));
    EXPECT_FALSE(history.remove(1));
    EXPECT_FALSE(history.find(1));
    // A deleted job is not brought back by the end of its print.
    history.update(*kept);
    EXPECT_EQ(numbers(history), (std::vector<int>{2}));
    EXPECT_EQ(keep(history, writeJob(folder, "third"), {10, 1}), 3);
}

TEST(JobHistoryTest, AThousandJobsStayWithinBothBoundsOldestFirst) {
    TempFolder folder;
    JobHistory history(folder.file("jobs"));
    const std::string kilobyte(1024, 'x');
    const std::string job = writeJob(folder, kilobyte);
    for (int i = 0; i < 1000; ++i)
        keep(history, job, {50, 1});
    std::vector<JobRecord> kept = history.list();
    ASSERT_EQ(kept.size(), 50u);
    EXPECT_EQ(kept.front().number, 951);
    EXPECT_EQ(kept.back().number, 1000);
    EXPECT_EQ(std::distance(fs::directory_iterator(history.folder()), fs::directory_iterator()),
              100);

    // By size: 1 MB holds fewer than a thousand 1 KB jobs with their records.
    const std::string bigger = writeJob(folder, std::string(200 * 1024, 'y'));
    for (int i = 0; i < 20; ++i)
        keep(history, bigger, {1000, 1});
    std::uint64_t total = 0;
    for (const auto& entry : fs::directory_iterator(history.folder()))
        total += entry.file_size();
    EXPECT_LE(total, 1u << 20);
    EXPECT_EQ(history.list().size(), 5u) << "five jobs of 200 KB and their records fit in 1 MB";
    EXPECT_EQ(history.list().back().number, 1020);

    // A job bigger than the whole bound is not kept, and 0 keeps none.
    EXPECT_EQ(keep(history, writeJob(folder, std::string((1 << 20) + 1, 'z')), {10, 1}), 0);
    EXPECT_EQ(history.list().size(), 5u);
    EXPECT_EQ(keep(history, job, {0, 1}), 0);
    EXPECT_TRUE(history.list().empty());
}

TEST(JobHistoryTest, WhatAKilledWriterLeftIsNeverListedAndGoesAtTheNextTrim) {
    TempFolder folder;
    JobHistory history(folder.file("jobs"));
    ASSERT_EQ(keep(history, writeJob(folder, "whole"), {10, 10}), 1);
    // A writer killed after the bytes, and one killed while writing them.
    std::ofstream(history.folder() + "/2.prn") << "bytes without a record";
    pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    waitpid(dead, nullptr, 0);
    const std::string part = history.folder() + "/.3.prn." + std::to_string(dead) + ".part";
    std::ofstream(part) << "half";
    const std::string ours = history.folder() + "/.4.job." + std::to_string(getppid()) + ".part";
    std::ofstream(ours) << "a live writer's";
    // A record cut short is not a record.
    std::ofstream(history.folder() + "/5.prn") << "x";
    std::ofstream(history.folder() + "/5.job") << "number=5\nwhen=";

    EXPECT_EQ(numbers(history), (std::vector<int>{1}));
    history.trim({10, 10});
    EXPECT_FALSE(fs::exists(history.folder() + "/2.prn"));
    EXPECT_FALSE(fs::exists(part));
    EXPECT_TRUE(fs::exists(ours)) << "its writer still runs";
    EXPECT_EQ(keep(history, writeJob(folder, "next"), {10, 10}), 6);
    EXPECT_EQ(numbers(history), (std::vector<int>{1, 6}));
}

TEST(JobHistoryTest, AJobLeftPrintingByADeadRunBecomesFailed) {
    TempFolder folder;
    JobHistory history(folder.file("jobs"));
    JobRecord printed;
    printed.status = JobStatus::Printed;
    keep(history, writeJob(folder, "a"), {10, 10}, printed);
    keep(history, writeJob(folder, "b"), {10, 10});
    history.markInterrupted();
    std::vector<JobRecord> jobs = history.list();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].status, JobStatus::Printed);
    EXPECT_EQ(jobs[1].status, JobStatus::Failed);
    EXPECT_EQ(jobs[1].message, "Marlet stopped while this job printed");
}
