#include "render/JobInput.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using marlet::JobInput;

namespace {

struct JobFile {
    explicit JobFile(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    ~JobFile() { std::filesystem::remove(path); }
    std::string path = (std::filesystem::temp_directory_path() /
                        ("marlet-input-" + std::to_string(::getpid()) + ".prn"))
                           .string();
};

} // namespace

TEST(JobInputTest, LooksAheadAndTakesAcrossTheInitialisationStringAndTheFile) {
    JobFile file("3456");
    JobInput input(file.path, "12");
    EXPECT_EQ(input.ahead(3), "123");
    EXPECT_EQ(input.ahead(10), "123456");
    input.take(3);
    EXPECT_EQ(input.initRemaining(), 0);
    EXPECT_EQ(input.fileRemaining(), 3u);
    EXPECT_EQ(input.ahead(2), "45");
    // Taking more than there is takes what is left.
    input.take(10);
    EXPECT_FALSE(input.hasNext());
}

TEST(JobInputTest, ALookFarAheadReadsEveryByteItShows) {
    // Longer than the read buffer, several times over: every byte is the file's own.
    std::string bytes;
    for (int i = 0; i < 300000; ++i)
        bytes += static_cast<char>('a' + i % 23);
    JobFile file("x" + bytes);
    JobInput input(file.path, "");
    input.next();
    EXPECT_EQ(input.ahead(300000), bytes);
    input.take(299999);
    EXPECT_EQ(input.next(), static_cast<std::uint8_t>(bytes.back()));
    EXPECT_FALSE(input.hasNext());
}

TEST(JobInputTest, FindsAByteAnywhereInTheFile) {
    JobFile withCr(std::string(200000, 'a') + "\r");
    EXPECT_TRUE(JobInput(withCr.path, "\r").fileHolds('\r'));
    JobFile without(std::string(200000, 'a') + "\n");
    EXPECT_FALSE(JobInput(without.path, "\r").fileHolds('\r'));
}

TEST(JobInputTest, BytesInMemoryReadAsAFile) {
    std::string bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += static_cast<char>('a' + i % 23);
    bytes += '\r';
    JobInput input(bytes);
    EXPECT_EQ(input.fileSize(), bytes.size());
    EXPECT_EQ(input.next(), 'a');
    EXPECT_EQ(input.following(3), "bcd");
    input.skip(2);
    EXPECT_EQ(input.ahead(2), "de");
    input.take(99997);
    EXPECT_EQ(input.following(5), "\r");
    EXPECT_EQ(input.next(), '\r');
    EXPECT_FALSE(input.hasNext());
    // The whole of it, whatever has been read.
    EXPECT_TRUE(input.fileHolds('a'));
    EXPECT_FALSE(input.fileHolds('\n'));
    EXPECT_FALSE(JobInput(std::string_view()).fileHolds('a'));
}
