// The ends of printer jobs read from the last bytes of a queue file.

#include "capture/JobTrailer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace marlet;

TEST(JobTrailerTest, ExitsAfterDataAndPjlEndOfJobLinesEndAJob) {
    const std::string exit = "\x1B%-12345X";
    struct Case {
        std::string tail;
        bool wholeFile;
        bool ends;
    };
    const std::vector<Case> cases = {
        {"\x1B"
         "EData\x1B"
         "E" +
             exit,
         true, true},
        {exit + exit, true, false},
        {exit, false, true},
        {"data" + exit + "@PJL EOJ\r\n" + exit, true, true},
        {"data" + exit + "@PJL EOJ NAME = \"invoice\"\r\n", true, true},
        {"data\n" + exit + "@PJL EOJ\n", true, true},
        {"data\n@PJL\teOj\n", true, true},
        {"data\n@pjl EOJ\n", true, false},
        {"data\n@PJL EOJ", true, false},
        {"data\n@PJL EOJX\n", true, false},
        {"data\n@PJL ENTER LANGUAGE=PCL\n", true, false},
        {"JL EOJ\r\n", false, false},
        {"@PJL EOJ\r\n", false, true},
        {"data\n@PJL EOJ\r\nmore", true, false},
        {"", true, false},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes(c.tail.begin(), c.tail.end());
        EXPECT_EQ(JobTrailer::endsJob(bytes, c.wholeFile), c.ends) << c.tail;
    }
}
