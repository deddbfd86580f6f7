#include "render/EscapeInterpreter.h"
#include "render/PrintJob.h"
#include "render/TraceDevice.h"
#include "support/TracedJob.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using namespace marlet;
using marlet::testing::TracedJob;

namespace {

const std::string Esc = "\x1B";

// Prints through the trace and keeps it short: "font HxW" with b/i/u/s for the styles,
// documents, pages and glyphs as they come.
class EscapeTest : public ::testing::Test, protected TracedJob {
protected:
    EscapeTest() {
        table.loadText("\x01..\xFF=0#204\n");
        geometry.setcell(10);
        geometry.checksize(sample, geometry.defaultMargins(), Orientation::Portrait);
    }

    void useScheme(const std::string& name, const std::map<std::string, std::string>& entries) {
        store.setValue(MarletKey, "Sequence", name);
        for (const auto& [entry, bytes] : entries)
            store.setValue(std::string(SequencesKey) + "\\" + name, entry, bytes);
    }

    std::string print(const std::string& bytes, const std::string& init = "") {
        JobSettings job;
        job.initString = init;
        run(
            bytes, job, [](std::uint8_t) {}, [this] { scheme.LoadSequences(store); });
        return shortTrace(trace.str());
    }

    static std::string shortTrace(const std::string& full) {
        std::istringstream lines(full);
        std::string line, out;
        while (std::getline(lines, line)) {
            if (line.rfind("font ", 0) == 0) {
                auto field = [&](const std::string& name) {
                    std::size_t at = line.find(" " + name + "=") + name.size() + 2;
                    return line.substr(at, line.find(' ', at) - at);
                };
                out += "font " + field("height") + "x" + field("width");
                out += field("weight") == "700" ? " b" : "";
                out += field("italic") == "1" ? " i" : "";
                out += field("underline") == "1" ? " u" : "";
                out += field("strikeout") == "1" ? " s" : "";
                out += "\n";
            } else if (line.rfind("text ", 0) == 0) {
                std::istringstream parts(line.substr(5));
                std::string x, y, code;
                parts >> x >> y >> code;
                out += x + "," + y + " " +
                       static_cast<char>(std::stoi(code.substr(2), nullptr, 16)) + "\n";
            } else {
                out += line + "\n";
            }
        }
        return out;
    }
};

// The lines every job starts with at 12 cpi: orientation, job font, setpitch.
const std::string Start = "orientation portrait\nfont 100x50\nfont 100x50\n";

} // namespace

TEST_F(EscapeTest, WithoutSequencesEveryEscapeIsDroppedAndTheRestPrints) {
    useScheme("No sequences", {});
    EXPECT_EQ(print(Esc + "EX"), Start + "begin_document \"DOS-console task\"\n"
                                         "-6,-6 E\n44,-6 X\nend_document\n");
}

TEST_F(EscapeTest, AStoredSchemeDropsAnUnmatchedEscape) {
    useScheme("Epson", {{"Bold", Esc + "E"}});
    EXPECT_EQ(print(Esc + "FX"), Start + "font 100x50\n" // setpitch after the attempt at ESC
                                         "begin_document \"DOS-console task\"\n"
                                         "-6,-6 F\n44,-6 X\nend_document\n");
    EXPECT_EQ(print(Esc + "EX"), Start + "font 100x50 b\nbegin_document \"DOS-console task\"\n"
                                         "-6,-6 X\nend_document\n");
}

TEST_F(EscapeTest, TheBuiltInSetUnderDefault) {
    // An unknown letter goes with its escape; P takes two digits; S is a size in points.
    EXPECT_EQ(print(Esc + "EX"),
              Start + "font 100x50\nbegin_document \"DOS-console task\"\n-6,-6 X\nend_document\n");
    EXPECT_EQ(print(Esc + "P17X"), Start + "font 100x35\nbegin_document \"DOS-console task\"\n"
                                           "-6,-6 X\nend_document\n");
    EXPECT_EQ(print(Esc + "PabX"), Start + "font 100x50\nbegin_document \"DOS-console task\"\n"
                                           "-6,-6 X\nend_document\n");
    EXPECT_EQ(print(Esc + "P00X"), Start + "font 100x50\nbegin_document \"DOS-console task\"\n"
                                           "-6,-6 X\nend_document\n");
    // At 12 points "@" is 60 by 113: 10 cpi, and the line follows the font.
    EXPECT_EQ(print(Esc + "S12X\nY"), Start + "font 113x60\nbegin_document \"DOS-console task\"\n"
                                              "-6,-6 X\n-6,107 Y\nend_document\n");
    EXPECT_EQ(print(Esc + "BX" + Esc + "bY"), Start + "font 100x50 b\nbegin_document "
                                                      "\"DOS-console task\"\n-6,-6 X\n"
                                                      "font 100x50\n44,-6 Y\nend_document\n");
    // 36 points of spacing at 600 dpi; 2 lines per inch of font height.
    EXPECT_EQ(print(Esc + "A36X\nY"), Start + "font 100x50\nbegin_document \"DOS-console task\"\n"
                                              "-6,-6 X\n-6,294 Y\nend_document\n");
    EXPECT_EQ(print(Esc + "BX" + Esc + "L02Y"),
              Start + "font 100x50 b\nbegin_document \"DOS-console task\"\n-6,-6 X\n"
                      "font 300x50 b\nfont 300x50 b\n44,-6 Y\nend_document\n");
}

TEST_F(EscapeTest, ASequenceCutByTheEndOfTheDataIsDropped) {
    EXPECT_EQ(print("X" + Esc + "P1"),
              Start + "begin_document \"DOS-console task\"\n-6,-6 X\nfont 100x50\nend_document\n");
    EXPECT_EQ(print("X" + Esc),
              Start + "begin_document \"DOS-console task\"\n-6,-6 X\nend_document\n");
    useScheme("Epson", {{"Bold", Esc + "EB"}});
    EXPECT_EQ(print("X" + Esc + "E"), Start + "begin_document \"DOS-console task\"\n-6,-6 X\n"
                                              "font 100x50\n44,-6 E\nend_document\n");
}

TEST_F(EscapeTest, CondensedOnlyNarrowsPicaAndElite) {
    useScheme("Epson", {{"Condenced", "\x0F"},
                        {"NoCondenced", "\x12"},
                        {"Pica", Esc + "P"},
                        {"CondPica", Esc + "g"}});
    // 12 cpi becomes 20; after the attempt, setpitch at 12 under condensed gives 20 again.
    EXPECT_EQ(print("\x0FX\x12Y"), Start + "font 100x30\nfont 100x30\nbegin_document "
                                           "\"DOS-console task\"\n-6,-6 X\nfont 100x30\n"
                                           "font 100x50\n24,-6 Y\nend_document\n");
    EXPECT_EQ(print(Esc + "g\x0FX"), Start + "font 100x33\nfont 100x33\nfont 100x33\n"
                                             "begin_document \"DOS-console task\"\n-6,-6 X\n"
                                             "end_document\n");
    // A one-byte sequence also acts as the last byte of the data: no cell for it.
    EXPECT_EQ(print("X\x12\x0F"), Start + "begin_document \"DOS-console task\"\n-6,-6 X\n"
                                          "font 100x50\nfont 100x50\nfont 100x30\n"
                                          "font 100x30\nend_document\n");
}

TEST_F(EscapeTest, BothMatchingEntriesActAndTheLaterSetsTheLength) {
    useScheme("Epson", {{"Bold", Esc + "EW"}, {"Double", Esc + "E"}});
    EXPECT_EQ(print(Esc + "EWX"), Start + "font 100x100 b\nbegin_document \"DOS-console task\"\n"
                                          "-6,-6 W\n94,-6 X\nend_document\n");
    geometry.DoubleWidth = false;
    useScheme("Epson", {{"Bold", Esc + "E"}, {"Double", Esc + "EW"}});
    EXPECT_EQ(print(Esc + "EWX"), Start + "font 100x100 b\nbegin_document \"DOS-console task\"\n"
                                          "-6,-6 X\nend_document\n");
    geometry.DoubleWidth = false;
}

TEST_F(EscapeTest, DropListLinesEatTheirBytes) {
    useScheme("Epson", {});
    dropList = {Esc + "@", Esc + "x1"};
    EXPECT_EQ(print(Esc + "@A" + Esc + "x1B"), Start + "font 100x50\nbegin_document "
                                                       "\"DOS-console task\"\n-6,-6 A\n"
                                                       "font 100x50\n44,-6 B\nend_document\n");
}

TEST_F(EscapeTest, ADropLineByteThatBeginsNothingRefreshesTheFontBetweenItsNeighbours) {
    // Matching is tried at "x" and "1" as bytes of a drop line; each attempt makes the job
    // font again, between the cells printed before and at it.
    useScheme("Epson", {});
    dropList = {Esc + "x1"};
    EXPECT_EQ(print("ax1b"), Start + "begin_document \"DOS-console task\"\n-6,-6 a\n"
                                     "font 100x50\n44,-6 x\nfont 100x50\n94,-6 1\n144,-6 b\n"
                                     "end_document\n");
}

TEST_F(EscapeTest, PitchAndSpacingTemplates) {
    useScheme("Epson", {{"Pitch", Esc + "P__"}, {"LPI", Esc + "A_"}});
    // The template ESC P _ _ with ESC P 1 2: pitch 12, nothing of the sequence printed.
    EXPECT_EQ(print(Esc + "P12X"), Start + "font 100x50\nfont 100x50\nbegin_document "
                                           "\"DOS-console task\"\n-6,-6 X\nend_document\n");
    EXPECT_EQ(print(Esc + "P17X"), Start + "font 100x35\nfont 100x35\nbegin_document "
                                           "\"DOS-console task\"\n-6,-6 X\nend_document\n");
    // "00" keeps the pitch; a prefix alone takes only its own bytes.
    EXPECT_EQ(print(Esc + "P00X"), Start + "font 100x50\nfont 100x50\nbegin_document "
                                           "\"DOS-console task\"\n-6,-6 X\nend_document\n");
    EXPECT_EQ(print(Esc + "P1X"), Start + "font 100x50\nfont 100x50\nbegin_document "
                                          "\"DOS-console task\"\n-6,-6 1\n44,-6 X\nend_document\n");
    // 4 lines per inch: 150 pixels between lines.
    EXPECT_EQ(print(Esc + "A4X\nY"), Start + "font 100x50\nfont 100x50\nbegin_document "
                                             "\"DOS-console task\"\n-6,-6 X\n-6,144 Y\n"
                                             "end_document\n");
    // A literal digit other than 0 in a template never matches: the stream's digits read 0.
    useScheme("Other", {{"Pitch", Esc + "p1_"}});
    EXPECT_EQ(print(Esc + "p12X"), Start + "font 100x50\nbegin_document \"DOS-console task\"\n"
                                           "-6,-6 p\n44,-6 1\n94,-6 2\n144,-6 X\nend_document\n");
}

TEST_F(EscapeTest, OrientationOnAPageEndsTheDocumentAndBetweenPagesWaits) {
    useScheme("Epson", {{"Landscape", Esc + "L"}, {"Portrait", Esc + "P"}});
    EXPECT_EQ(print("A" + Esc + "LB\fC"),
              Start + "begin_document \"DOS-console task\"\n-6,-6 A\nend_document\n"
                      "orientation landscape\nfont 100x50\n"
                      "begin_document \"DOS-console task\"\n44,-6 B\nnew_page\n-6,-6 C\n"
                      "end_document\n");
    // Between pages: the paper turns at the next page start, in a new document.
    EXPECT_EQ(print("A\f" + Esc + "LB"),
              Start + "begin_document \"DOS-console task\"\n-6,-6 A\nfont 100x50\n"
                      "end_document\norientation landscape\n"
                      "begin_document \"DOS-console task\"\n-6,-6 B\nend_document\n");
}

TEST_F(EscapeTest, TheInitialisationStringActsAheadOfTheFile) {
    useScheme("Epson", {{"Bold", Esc + "E"}});
    EXPECT_EQ(print("X", Esc + "E"), Start + "font 100x50 b\nbegin_document \"DOS-console task\"\n"
                                             "-6,-6 X\nend_document\n");
    // A sequence that straddles the end of the string and the start of the file.
    EXPECT_EQ(print("EX", Esc), Start + "font 100x50 b\nbegin_document \"DOS-console task\"\n"
                                        "-6,-6 X\nend_document\n");
    useScheme("Default", {});
    EXPECT_EQ(print("17X", Esc + "P"), Start + "font 100x35\nbegin_document \"DOS-console task\"\n"
                                               "-6,-6 X\nend_document\n");
    // An empty file sends nothing, the initialisation string included.
    EXPECT_EQ(print("", Esc + "P17X"), Start);
}

TEST(EscapeNumbers, DigCountAndDecimalParameters) {
    EXPECT_EQ(DigCount("\x1BP00"), 2);
    EXPECT_EQ(DigCount("0a0b0"), 3);
    EXPECT_EQ(parseDecimal("12"), 12.0L);
    EXPECT_EQ(parseDecimal(" 7.5"), 7.5L);
    EXPECT_EQ(parseDecimal("-3"), -3.0L);
    EXPECT_EQ(parseDecimal("1e1"), 10.0L);
    EXPECT_EQ(parseDecimal(".5"), 0.5L);
    EXPECT_FALSE(parseDecimal(""));
    EXPECT_FALSE(parseDecimal("1/2"));
    EXPECT_FALSE(parseDecimal("12 "));
    EXPECT_FALSE(parseDecimal("."));
    EXPECT_FALSE(parseDecimal("1e"));
}
