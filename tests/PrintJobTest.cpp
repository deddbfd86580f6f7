#include "render/PrintJob.h"
#include "base/Error.h"
#include "render/JobStopped.h"
#include "support/TracedJob.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace marlet;
using marlet::testing::FakeDevice;
using marlet::testing::TracedJob;

namespace {

// Cyrillic letters and text on the Cyrillic set, the frame bytes drawn as lines, 0xF0
// printing nothing, 0xFE invisible.
const std::string TableText = std::string("\x01..\x7F=0#204\n"
                                          "\x80..\xAF=912#204\n"
                                          "\xB0..\xDF=0#0\n"
                                          "\xE0..\xEF=864#204\n"
                                          "\xF0=0#204\n"
                                          "\xFE=9632#254\n");

class PrintJobTest : public ::testing::Test, protected TracedJob {
protected:
    PrintJobTest() {
        table.loadText(TableText);
        geometry.setcell(10);
        geometry.checksize(sample, geometry.defaultMargins(), Orientation::Portrait);
        trace.str("");
    }

    /// Prints the bytes and returns the trace without its font lines.
    std::string print(const std::string& bytes) {
        std::string all = printAll(bytes);
        std::istringstream lines(all);
        std::string line, kept;
        while (std::getline(lines, line)) {
            if (line.rfind("font ", 0) != 0 && line != "orientation portrait")
                kept += line + "\n";
        }
        return kept;
    }

    std::string printAll(const std::string& bytes) {
        gavePage = run(bytes, job, [this](std::uint8_t step) { steps.push_back(step); });
        return trace.str();
    }

    JobSettings job;
    std::vector<int> steps;
    bool gavePage = false;
};

} // namespace

TEST_F(PrintJobTest, StartsWithTheJobFontAndTheCellGrid) {
    EXPECT_EQ(printAll("A\xE0\r\n\x80"),
              "orientation portrait\n"
              "font face=\"Courier New\" height=100 width=50 escapement=0 orientation=0 weight=0 "
              "italic=0 underline=0 strikeout=0 charset=0 out_precision=2 clip_precision=0 "
              "quality=0 pitch_family=1\n"
              "font face=\"Courier New\" height=100 width=50 escapement=0 orientation=0 weight=0 "
              "italic=0 underline=0 strikeout=0 charset=204 out_precision=4 clip_precision=0 "
              "quality=2 pitch_family=1\n"
              "begin_document \"DOS-console task\"\n"
              "text -6 -6 U+0041\n"
              "text 44 -6 U+0440\n"
              "text -6 94 U+0410\n"
              "end_document\n");
}

TEST_F(PrintJobTest, TheSampleStyleReachesTheJobFont) {
    sample.style = {true, false, true, false};
    std::string all = printAll("A");
    EXPECT_NE(all.find("weight=700 italic=0 underline=1 strikeout=0 charset=0"), std::string::npos);
    EXPECT_NE(all.find("weight=700 italic=0 underline=1 strikeout=0 charset=204"),
              std::string::npos);
}

TEST_F(PrintJobTest, NothingToDrawStartsNoDocument) {
    EXPECT_EQ(print(""), "");
    EXPECT_FALSE(gavePage);
    EXPECT_EQ(print("\r\n\x0C\r\n\x0C\x0C"), "");
    EXPECT_FALSE(gavePage);
    EXPECT_EQ(printer.openDocuments, 0);
    EXPECT_EQ(steps, (std::vector<int>{255, 255}));
    // A blank is drawn: it makes a page.
    print(" ");
    EXPECT_TRUE(gavePage);
}

TEST_F(PrintJobTest, FormFeedsMakeNoEmptyPages) {
    EXPECT_EQ(print("A\x0C\x0C"
                    "B\x0C"),
              "begin_document \"DOS-console task\"\n"
              "text -6 -6 U+0041\n"
              "new_page\n"
              "text -6 -6 U+0042\n"
              "end_document\n");
    job.pageFeed = false;
    EXPECT_EQ(print("A\x0C"
                    "B"),
              "begin_document \"DOS-console task\"\n"
              "text -6 -6 U+0041\n"
              "text -6 -6 U+0042\n"
              "end_document\n");
}

TEST_F(PrintJobTest, LineFeedKeepsTheColumnAndCarriageReturnTheLine) {
    EXPECT_EQ(print("AB\nC\rD"), "begin_document \"DOS-console task\"\n"
                                 "text -6 -6 U+0041\n"
                                 "text 44 -6 U+0042\n"
                                 "text 94 94 U+0043\n"
                                 "text -6 94 U+0044\n"
                                 "end_document\n");
    // A job without one CR came from a system whose line feed starts a new line.
    EXPECT_EQ(print("AB\nC"), "begin_document \"DOS-console task\"\n"
                              "text -6 -6 U+0041\n"
                              "text 44 -6 U+0042\n"
                              "text -6 94 U+0043\n"
                              "end_document\n");
}

TEST_F(PrintJobTest, ControlBytesTakeABlankCellAndEmptyCodesNothing) {
    // ESC E is no command of the built-in set: both bytes go. The invisible byte's own
    // character set makes a font; the font lines are left out.
    EXPECT_EQ(print(std::string("\tA\0B\x1B"
                                "EC\xF0"
                                "D\xFE",
                                10)),
              "begin_document \"DOS-console task\"\n"
              "text -6 -6 U+0020\n"
              "text 44 -6 U+0041\n"
              "text 94 -6 U+0020\n"
              "text 144 -6 U+0042\n"
              "text 194 -6 U+0043\n"
              "text 244 -6 U+0044\n"
              "path_text 294 -6 U+00B9\n"
              "end_document\n");
}

TEST_F(PrintJobTest, BackspaceMovesByTheWidthOfCharacterEightAndMayPassTheOrigin) {
    EXPECT_EQ(print("A\b\bB"), "begin_document \"DOS-console task\"\n"
                               "text -6 -6 U+0041\n"
                               "text -56 -6 U+0042\n"
                               "end_document\n");
}

TEST_F(PrintJobTest, BoxBytesAreDrawnAsLinesOnTheirOwnCharacterSet) {
    std::string all = printAll("\xC4"
                               "A");
    EXPECT_NE(all.find("charset=0 out_precision=4"), std::string::npos);
    EXPECT_EQ(print("\xC4"
                    "A"),
              "begin_document \"DOS-console task\"\n"
              "pen_width 5\n"
              "move_to -6 41\n"
              "line_to 44 41\n"
              "text 44 -6 U+0041\n"
              "end_document\n");
}

TEST_F(PrintJobTest, LongLinesWrapOrRunOff) {
    // 4760 pixels across: the 96th cell starts at 4744, past 4760 - 50.
    std::string line(97, 'x');
    std::string wrapped = print(line);
    EXPECT_NE(wrapped.find("text 4694 -6 U+0078\ntext -6 94 U+0078\n"), std::string::npos);
    job.lineWrap = false;
    std::string runOff = print(line);
    EXPECT_NE(runOff.find("text 4744 -6 U+0078\ntext 4794 -6 U+0078\n"), std::string::npos);
}

TEST_F(PrintJobTest, TextThatFillsTheLineWithItsLastCharacterWrapsWhatFollows) {
    // The 95th "x" fills the line; the frame figure after it starts the next line, and so
    // does the text after a figure that fills the line.
    std::string printed = print(std::string(95, 'x') + "\xB3" + std::string(93, 'y') + "\xB3z");
    EXPECT_NE(printed.find("text 4694 -6 U+0078\npen_width 5\nmove_to 16 94\n"), std::string::npos)
        << printed;
    EXPECT_NE(printed.find("text 4644 94 U+0079\npen_width 5\nmove_to 4716 94\n"),
              std::string::npos);
    EXPECT_NE(printed.find("text -6 194 U+007A\n"), std::string::npos);
}

TEST_F(PrintJobTest, APageEndsAboveTwoLinesFromTheBottomAndKeepsTheColumn) {
    // 6816 pixels down: the line feed to y = 6694 passes 6816 - 2 * 100. The job holds a
    // CR, so its line feeds only feed.
    std::string bytes;
    for (int i = 0; i < 66; ++i)
        bytes += "\n";
    bytes += "AB\nC";
    std::string printed = print("Z\r" + bytes);
    EXPECT_NE(printed.find("text -6 -6 U+005A\n"), std::string::npos);
    EXPECT_NE(
        printed.find("text -6 6594 U+0041\ntext 44 6594 U+0042\nnew_page\ntext 94 -6 U+0043\n"),
        std::string::npos)
        << printed;
}

TEST_F(PrintJobTest, ProgressShowsSixteenthsAndRestoresTheIcon) {
    print(std::string(15, 'a'));
    EXPECT_EQ(steps, (std::vector<int>{255}));
    steps.clear();
    print(std::string(33, 'a')); // divisor 2: steps 0..16, the last one at byte 33
    std::vector<int> expected;
    for (int step = 0; step <= 16; ++step)
        expected.push_back(step);
    expected.push_back(255);
    EXPECT_EQ(steps, expected);
}

TEST_F(PrintJobTest, DoubleWidthOutlivesAJobWhileCondensedDoesNot) {
    geometry.DoubleWidth = true;
    geometry.Condensed = true;
    std::string all = printAll("A");
    EXPECT_NE(all.find("height=100 width=100 escapement=0 orientation=0 weight=0 italic=0 "
                       "underline=0 strikeout=0 charset=204"),
              std::string::npos);
    EXPECT_TRUE(geometry.DoubleWidth);
    EXPECT_FALSE(geometry.Condensed);
}

TEST_F(PrintJobTest, AReadOnlyFilePrintsAndAMissingOneFailsBeforeAnyDocument) {
    std::ofstream(path) << "R";
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    job.path = path;
    job.sampleFont = sample;
    PrintJob(traced, geometry, table, boxes, EscapeRules{scheme, dropList}, [](std::uint8_t) {
    }).run(job);
    EXPECT_NE(trace.str().find("text -6 -6 U+0052"), std::string::npos);

    job.path = path + ".missing";
    try {
        PrintJob(traced, geometry, table, boxes, EscapeRules{scheme, dropList}, [](std::uint8_t) {
        }).run(job);
        FAIL() << "printed a missing file";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file " + job.path + ": No such file or directory");
    }
    EXPECT_EQ(printer.openDocuments, 1);
}

namespace {

// A printer that fails at '!', or whose job is stopped there.
class FailingDevice : public FakeDevice {
public:
    bool stop = false;

    void textOut(int, int, char16_t character) override {
        if (character == u'!' && stop)
            throw JobStopped("The job was cancelled after 1 page", 1);
        if (character == u'!')
            throw Error("The printer refused the page");
    }
};

} // namespace

TEST(PrintJobFailure, EndsTheOpenDocumentBeforeTheErrorLeavesButLeavesAStoppedOneOpen) {
    // A stopped job's pages are whole: its printer ends the document itself, by cancel().
    for (bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "failed");
        FailingDevice printer;
        printer.stop = stop;
        PageGeometry geometry(printer);
        BoxRenderer boxes(printer);
        CodePageTable table;
        table.loadText(TableText);
        geometry.setcell(10);
        std::string path = (std::filesystem::temp_directory_path() / "marlet-failing.prn").string();
        std::ofstream(path) << "ok!";
        JobSettings job;
        job.path = path;
        job.sampleFont = fontFromPoints("Courier New", 10, {}, 600);
        std::vector<int> steps;
        ActiveScheme scheme;
        std::vector<std::string> dropList;
        try {
            PrintJob(printer, geometry, table, boxes, EscapeRules{scheme, dropList},
                     [&](std::uint8_t s) { steps.push_back(s); })
                .run(job);
            ADD_FAILURE() << "printed past the failure";
        } catch (const JobStopped& e) {
            EXPECT_TRUE(stop) << e.what();
        } catch (const Error& e) {
            EXPECT_FALSE(stop) << e.what();
        }
        EXPECT_EQ(printer.documentOpen(), stop);
        EXPECT_EQ(steps, (std::vector<int>{255}));
        std::filesystem::remove(path);
    }
}

TEST_F(PrintJobTest, ThePenStopsAtItsLimitInsteadOfOverflowing) {
    // Cells 50000 pixels wide, so that 45000 of them pass what 32 bits hold.
    printer.dpiX = 600000;
    geometry.setcell(10);
    geometry.checksize(sample, geometry.defaultMargins(), Orientation::Portrait);
    auto lastText = [](const std::string& calls) {
        std::size_t at = calls.rfind("text ");
        return calls.substr(at, calls.find('\n', at) - at);
    };
    auto firstText = [](const std::string& calls) {
        std::size_t at = calls.find("text ");
        return calls.substr(at, calls.find('\n', at) - at);
    };
    const std::string y = " " + std::to_string(geometry.OriginY) + " ";

    EXPECT_EQ(firstText(print(std::string(45000, '\b') + "A")), "text -1000000000" + y + "U+0041");
    job.lineWrap = false;
    EXPECT_EQ(lastText(print(std::string(45000, 'A') + "B")), "text 1000000000" + y + "U+0042");
}
