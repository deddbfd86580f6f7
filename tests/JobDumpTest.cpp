#include "jobs/JobDump.h"
#include "support/LanguageJob.h"
#include "support/MemorySettingsStore.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace marlet;

namespace {

const std::string Esc = "\x1B";

// A scheme stored as a user keeps one, read back as a job reads it.
struct Dump {
    explicit Dump(const std::string& language, std::map<std::string, std::string> entries = {},
                  std::vector<std::string> dropLines = {}, const std::string& name = "Printer")
        : dropList(std::move(dropLines)) {
        table.loadText("\x01..\xFF=0#204\n");
        store.setValue(MarletKey, "Sequence", name);
        const std::string key = std::string(SequencesKey) + "\\" + name;
        store.createKey(key);
        if (!language.empty())
            store.setValue(key, LanguageValueName, language);
        for (const auto& [entry, bytes] : entries)
            store.setValue(key, entry, bytes);
        scheme.LoadSequences(store);
    }

    // Each piece as "OFFSET+LENGTH [MARK] MEANING".
    std::vector<std::string> cut(const std::string& bytes) const {
        std::vector<std::string> lines;
        for (const DumpPiece& piece : JobDump(scheme, dropList, table).pieces(bytes))
            lines.push_back(std::to_string(piece.offset) + "+" + std::to_string(piece.length) +
                            " [" + piece.mark + "] " + piece.meaning);
        return lines;
    }

    std::vector<DumpPiece> pieces(const std::string& bytes) const {
        return JobDump(scheme, dropList, table).pieces(bytes);
    }

    std::string written(const std::string& bytes, const std::string& initString = {}) const {
        std::ostringstream out;
        JobDump(scheme, dropList, table).write(out, bytes, initString);
        return out.str();
    }

    marlet::testing::MemorySettingsStore store;
    ActiveScheme scheme;
    std::vector<std::string> dropList;
    CodePageTable table;
};

} // namespace

TEST(JobDumpTest, SchemeSequencesAreMarkedWhereverTheyStand) {
    const std::map<std::string, std::string> entries = {{"Condenced", "\x0F"},
                                                        {"NoCondenced", "\x12"},
                                                        {"Bold", "~B"},
                                                        {"NoBold", "~b"},
                                                        {"Elit", "\x1C"
                                                                 "E"},
                                                        {"Pica", Esc + "E"},
                                                        {"Underline", Esc + "E1"},
                                                        {"Pitch", Esc + "P__"},
                                                        {"LPI", "#_"}};
    const std::vector<std::string> dropList = {"\x1C\x1C", "zz"};
    struct Case {
        std::string language;
        std::string bytes;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        // Control codes, a printable byte and FS begin entries: each is taken whole.
        {"",
         "a\x0F"
         "b~Bc\x12\x1C"
         "E\x1C\x1C"
         "zz",
         {"0+1 [text] printed: \"a\"", "1+1 [SI] scheme entry Condenced",
          "2+1 [text] printed: \"b\"", "3+2 [~ B] scheme entry Bold", "5+1 [text] printed: \"c\"",
          "6+1 [DC2] scheme entry NoCondenced", "7+2 [FS E] scheme entry Elit",
          "9+2 [FS FS] dropped: a line of the drop list",
          "11+2 [z z] dropped: a line of the drop list"}},
        // A scheme's SI wins over the language's own; a lone ~ prints.
        {"ESC/P",
         "\x0F~x\x0E",
         {"0+1 [SI] scheme entry Condenced", "1+2 [text] printed: \"~x\"",
          "3+1 [SO] control code of the printer language"}},
        // Every match acts and the last one checked says how much goes: Pica after
        // Underline, though Underline is longer.
        {"",
         Esc + "E1",
         {"0+2 [ESC E] scheme entry Underline, scheme entry Pica", "2+1 [text] printed: \"1\""}},
        // A pitch template takes its digits; its prefix alone leaves what follows to print.
        {"",
         Esc + "P12" + Esc + "PX",
         {"0+4 [ESC P 1 2] scheme entry Pitch", "4+2 [ESC P] scheme entry Pitch",
          "6+1 [text] printed: \"X\""}},
        {"", "#7", {"0+2 [# 7] scheme entry LPI"}},
        // A sequence that begins with a control code the job obeys moves the pen as well.
        {"",
         "\r\n",
         {"0+1 [CR] control code: carriage return", "1+1 [LF] control code: line feed"}},
    };
    for (const Case& test : cases)
        EXPECT_EQ(Dump(test.language, entries, dropList).cut(test.bytes), test.pieces)
            << test.language << " " << test.bytes;
    EXPECT_EQ(Dump("", {{"Condenced", "\r"}}).cut("\rx"),
              (std::vector<std::string>{
                  "0+1 [CR] scheme entry Condenced; its first byte also acts: carriage return",
                  "1+1 [text] printed: \"x\""}));
}

TEST(JobDumpTest, PclIsCutAsTheTokenizerCutsIt) {
    const std::string stream =
        Esc + "%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE=PCL\r\n" + Esc + "E" + Esc + "&l1o2a0E" +
        Esc + "*r1A" + Esc + "*b3m4W" + Esc + std::string("\r\x00\x01", 3) + Esc + "*b2W" + "AB" +
        "A" + Esc + "%0BIN;SP1;LBText" + Esc + "\x03;PD;" + Esc + "%0A" + "B" + Esc + "(8U" + Esc +
        "(s12h10V" + "\r\n" + Esc + "&p2X" + Esc + "\r" + Esc + "*b32767W" + "12345";
    EXPECT_EQ(Dump("PCL").cut(stream),
              (std::vector<std::string>{
                  "0+9 [ESC % - 1 2 3 4 5 …] PCL command",
                  "9+35 [PJL] PJL lines after a Universal Exit Language",
                  "44+2 [ESC E] PCL command",
                  "46+9 [ESC & l 1 o 2 a 0 …] PCL command",
                  "55+5 [ESC * r 1 A] PCL command",
                  "60+11 [ESC * b 3 m 4 W ESC …] PCL command, 4 bytes of data",
                  "71+7 [ESC * b 2 W A B] PCL command, 2 bytes of data",
                  "78+1 [text] printed: \"A\"",
                  "79+4 [ESC % 0 B] PCL command",
                  "83+19 [HP-GL/2] HP-GL/2 block, up to the escape that ends it",
                  "102+4 [ESC % 0 A] PCL command",
                  "106+1 [text] printed: \"B\"",
                  "107+4 [ESC ( 8 U] PCL command",
                  "111+9 [ESC ( s 1 2 h 1 0 …] PCL command",
                  "120+1 [CR] control code: carriage return",
                  "121+1 [LF] control code: line feed",
                  "122+7 [ESC & p 2 X ESC CR] PCL command, 2 bytes printed as characters",
                  // The count a job gives is only as good as the bytes that follow.
                  "129+14 [ESC * b 3 2 7 6 7 …] PCL command, 5 bytes of data",
              }));

    // Only the Universal Exit Language's own value is followed by PJL.
    EXPECT_EQ(
        Dump("PCL").cut(Esc + "%0X@PJL\n"),
        (std::vector<std::string>{"0+4 [ESC % 0 X] PCL command", "4+4 [text] printed: \"@PJL\"",
                                  "8+1 [LF] control code: line feed"}));

    // What the dump calls text is what the PCL layer prints, and nothing else.
    const std::string printed = stream.substr(0, 122);
    std::string dumped;
    for (const DumpPiece& piece : Dump("PCL").pieces(printed))
        if (piece.mark == "text")
            dumped += printed.substr(piece.offset, piece.length);
    std::istringstream glyphs(marlet::testing::LanguageJob("PCL", 600).print(printed));
    std::string line, glyphText;
    while (std::getline(glyphs, line))
        if (line.starts_with("text "))
            glyphText += line.back();
    EXPECT_EQ(dumped, "AB");
    EXPECT_EQ(glyphText, dumped);
}

TEST(JobDumpTest, EscapesAndControlCodesAreMarkedAsTheJobObeysThem) {
    struct Case {
        std::string language;
        std::string scheme;
        std::string bytes;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"ESC/P",
         "Printer",
         Esc + "@" + Esc + "\x02" + "\x7F\x07\x0B" + Esc + "K\xFF\xFF" + "abc",
         {"0+2 [ESC @] ESC/P command ESC @",
          "2+1 [ESC] dropped: no sequence of the scheme or its language; takes no cell",
          "3+1 [STX] dropped: takes no cell", "4+1 [DEL] dropped: takes no cell",
          "5+1 [BEL] dropped: takes no cell", "6+1 [VT] control code of the printer language",
          // A picture longer than the job takes what is left.
          "7+7 [ESC K] ESC/P command ESC K: cut short by the end of the job"}},
        // A national character set prints its own characters until the printer is reset.
        {"ESC/P",
         "Printer",
         Esc + "R\x02" + "@[x" + Esc + "@" + "@",
         {"0+3 [ESC R] ESC/P command ESC R", "3+3 [text] printed: \"§Äx\"",
          "6+2 [ESC @] ESC/P command ESC @", "8+1 [text] printed: \"@\""}},
        {"",
         "Printer",
         "a" + Esc + "xb\bc\x01",
         {"0+1 [text] printed: \"a\"",
          "1+1 [ESC] dropped: no sequence of the scheme; takes no cell",
          "2+2 [text] printed: \"xb\"", "4+1 [BS] control code: backspace",
          "5+1 [text] printed: \"c\"", "6+1 [SOH] printed as a blank cell"}},
        {"",
         "Default",
         Esc + "B" + Esc + "q" + Esc + "S1",
         {"0+2 [ESC B] built-in sequence: bold",
          "2+2 [ESC q] built-in set: an unknown command, taken with its letter",
          "4+3 [ESC S 1] built-in sequence"}},
        {"",
         "No sequences",
         Esc + "B",
         {"0+1 [ESC] dropped: no sequences are recognised; what follows prints",
          "1+1 [text] printed: \"B\""}},
        // Display functions print escapes too, up to the Z after one.
        {"PCL",
         "Printer",
         Esc + "Ya\r" + Esc + "E" + Esc + "Z" + Esc + "E" + Esc + "\r\x07",
         {"0+2 [ESC Y] PCL command: display functions, every byte prints until ESC Z",
          "2+1 [a] printed: display functions are on", "3+1 [CR] printed: display functions are on",
          "4+1 [ESC] printed: display functions are on",
          "5+1 [E] printed: display functions are on",
          "6+1 [ESC] printed: display functions are on", "7+1 [Z] printed: display functions end",
          "8+2 [ESC E] PCL command", "10+1 [ESC] PCL: a lone ESC, dropped",
          "11+1 [CR] control code: carriage return", "12+1 [BEL] dropped: takes no cell"}},
    };
    for (const Case& test : cases)
        EXPECT_EQ(Dump(test.language, {}, {}, test.scheme).cut(test.bytes), test.pieces)
            << test.scheme << " " << test.bytes;
    // The job takes no cell for the escape and goes back one for the backspace.
    EXPECT_EQ(marlet::testing::LanguageJob("", 600).print("a" + Esc + "xb\bc"),
              "text 0 0 a\ntext 50 0 x\ntext 100 0 b\ntext 100 0 c\n");
}

TEST(JobDumpTest, ALongPictureShowsItsFirstLinesAndItsSize) {
    std::string picture = Esc + "K" + std::string("\x40\x00", 2);
    for (int column = 0; column < 64; ++column)
        picture += static_cast<char>(column);
    EXPECT_EQ(Dump("ESC/P").written(picture + "\r"),
              "scheme Printer (ESC/P), 69 bytes\n"
              "00000000  1B 4B 40 00 00 01 02 03 04 05 06 07 08 09 0A 0B  .K@.............  "
              "[ESC K] ESC/P command ESC K\n"
              "00000010  0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B  ................  \n"
              "          … 36 more bytes of ESC K\n"
              "00000044  0D                                               .                 "
              "[CR] control code: carriage return\n");
}

TEST(JobDumpTest, TheInitialisationStringIsReadFirstAndItsCommandsHoldForTheJob) {
    // ESC R 2 (Germany) in the initialisation string: "[" of the job prints as "Ä"; a
    // command begun there takes its parameter from the job.
    EXPECT_EQ(Dump("ESC/P").written("0[x", Esc + "R" + "\x02" + Esc + "-"),
              "scheme Printer (ESC/P), 3 bytes after an initialisation string of 5 bytes\n"
              "init 000  1B 52 02                                         .R.               "
              "[ESC R] ESC/P command ESC R\n"
              "init 003  1B 2D 30                                         .-0               "
              "[ESC -] ESC/P command ESC -\n"
              "00000001  5B 78                                            [x                "
              "[text] printed: \"Äx\"\n");
}

TEST(JobDumpTest, CountsAHostileJobGivesReachNoFurtherThanItsBytes) {
    EXPECT_EQ(Dump("ESC/P2").cut(Esc + std::string("&\x00\x00\xFF", 4) + "abc"),
              (std::vector<std::string>{"0+8 [ESC &] ESC/P2 command ESC &: taken, no effect, cut "
                                        "short by the end of the job"}));
    EXPECT_EQ(Dump("ESC/P2").cut(Esc + "*\x27\xFF\xFF" + "abc"),
              (std::vector<std::string>{
                  "0+8 [ESC *] ESC/P2 command ESC *: cut short by the end of the job"}));
    // A count past what a printer keeps is held to 32767; the data takes what is there.
    EXPECT_EQ(
        Dump("PCL").cut(Esc + "*b-5W" + "z" + Esc + "*b99999999999999999999W" + "xy"),
        (std::vector<std::string>{"0+6 [ESC * b - 5 W] PCL command", "6+1 [text] printed: \"z\"",
                                  "7+26 [ESC * b 9 9 9 9 9 …] PCL command, 2 bytes of data"}));
}
