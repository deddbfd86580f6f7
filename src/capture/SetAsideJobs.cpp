#include "SetAsideJobs.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace marlet {

namespace {

std::string timeStamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H-%M-%S", &local);
    return text;
}

} // namespace

std::string SetAsideJobs::keep(const std::string& claimed, const std::string& reason) const {
    // The user's print jobs: readable by the user alone, like the queue.
    ::mkdir(m_folder.c_str(), 0700);
    const std::string stem = m_folder + "/" + timeStamp();
    for (int copy = 1; copy < 1000; ++copy) {
        std::string name = copy == 1 ? stem : stem + " (" + std::to_string(copy) + ")";
        std::string job = name + ".prn";
        if (renameat2(AT_FDCWD, claimed.c_str(), AT_FDCWD, job.c_str(), RENAME_NOREPLACE) == 0) {
            std::ofstream(name + ".txt") << reason << '\n';
            return job;
        }
        if (errno != EEXIST)
            break;
    }
    // A job that cannot be kept must still leave the queue, or it fails at every tick.
    std::remove(claimed.c_str());
    return {};
}

} // namespace marlet
