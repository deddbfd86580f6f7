#include "languages/pcl/PclCommands.h"
#include "languages/pcl/PclCommandTable.h"
#include "support/LanguageJob.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sstream>

using marlet::PclCommandEntry;
using marlet::PclCommandTable;
using marlet::PclData;
using marlet::testing::LanguageJob;

namespace {

const std::string Esc = "\x1B";

// On the test printer, a 600-dpi sheet of 8 by 11 inches with no unprintable strips: the
// logical page starts a quarter inch (150 pixels) in, the first baseline is the half-inch
// top margin (300) plus three quarters of a 6-lpi line (75), and 12-point Liberation Mono
// has an em of 100 pixels with the baseline 83 below the top of its glyphs.

// The trace lines of a job whose first word is one of kinds.
std::string traced(LanguageJob& job, const std::string& bytes, const std::string& kinds) {
    job.print(bytes);
    std::istringstream lines(job.trace.str());
    std::string line, out;
    while (std::getline(lines, line)) {
        // The job's own first font is not PCL's.
        if (kinds.find(" " + line.substr(0, line.find(' ')) + " ") != std::string::npos &&
            line.find("Courier New") == std::string::npos)
            out += line + "\n";
    }
    return out;
}

} // namespace

TEST(PclCommandsTest, TheCursorMovesInDecipointsDotsUnitsColumnsAndRows) {
    LanguageJob job("PCL", 600);
    const struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"A", "text 150 292 A\n"},
        // 720 decipoints an inch; a signed value moves from where the cursor is (after A,
        // one 60-pixel HMI on); V counts from the top margin.
        {Esc + "&a720H" + "A" + Esc + "&a+360h1440V" + "B", "text 750 292 A\ntext 1110 1417 B\n"},
        {Esc + "*p300X" + Esc + "*p+150Y" + "C", "text 750 592 C\n"},
        {Esc + "&u600D" + Esc + "*p600X" + "D", "text 750 292 D\n"},
        // Columns of the HMI, rows of the VMI from the first line.
        {Esc + "&a10C" + Esc + "&a2R" + "E", "text 750 492 E\n"},
        {Esc + "&a7.5H" + "F", "text 156 292 F\n"},
        // A pushed position comes back.
        {Esc + "&f0S" + Esc + "&a3R" + "G" + Esc + "&f1S" + "H",
         "text 150 592 G\ntext 150 292 H\n"},
        // Moves past the sheet stop at its edge: the text after them still prints, wrapped
        // to the next line at the right margin.
        {Esc + "*p-50X" + Esc + "*p-9000Y" + "I", "text 150 -83 I\n"},
        {Esc + "*p+1000000000X" + Esc + "*p+1000000000X" + "X", "text 150 392 X\n"},
        {Esc + "*p+99999999999X" + "Hi\r\n", "text 150 392 H\ntext 210 392 i\n"},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(job.print(bytes), expected) << bytes;
}

TEST(PclCommandsTest, LinesFollowTheVmiMarginsAndLineTermination) {
    LanguageJob job("PCL", 600);
    const struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"A\r\nB\nC", "text 150 292 A\ntext 150 392 B\ntext 210 492 C\n"},
        // 8 lines per inch, 12/48 inch, half a line.
        {Esc + "&l8D" + "\nA" + Esc + "&l12C" + "\rB\n" + Esc + "=C",
         "text 150 367 A\ntext 150 367 B\ntext 210 592 C\n"},
        // CR becomes CR LF (1), LF becomes CR LF (2).
        {Esc + "&k1G" + "A\rB", "text 150 292 A\ntext 150 392 B\n"},
        {Esc + "&k2G" + "A\nB", "text 150 292 A\ntext 150 392 B\n"},
        // A left margin at column 5 (300 pixels); a right margin after column 2 wraps the
        // fourth character, or drops it without end-of-line wrap.
        {Esc + "&a5L" + "\rA", "text 450 292 A\n"},
        {Esc + "&a2M" + "ABCD", "text 150 292 A\ntext 210 292 B\ntext 270 292 C\n"
                                "text 150 392 D\n"},
        {Esc + "&s1C" + Esc + "&a2M" + "ABCD", "text 150 292 A\ntext 210 292 B\n"
                                               "text 270 292 C\n"},
        {Esc + "&a2M" + Esc + "9" + "ABCD", "text 150 292 A\ntext 210 292 B\ntext 270 292 C\n"
                                            "text 330 292 D\n"},
        // HMI 6/120 inch; backspace and tab in HMI steps.
        {Esc + "&k6H" + "AB\bC\tD", "text 150 292 A\ntext 180 292 B\ntext 180 292 C\n"
                                    "text 390 292 D\n"},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(job.print(bytes), expected) << bytes;
}

TEST(PclCommandsTest, PagesEndAtTheTextLengthAndOnlyWhenSomethingIsOnThem) {
    LanguageJob job("PCL", 600);
    // 11 inches less the top margin and half an inch at the bottom: 60 lines of 100 pixels.
    std::string lines;
    for (int i = 0; i < 59; ++i)
        lines += "\r\n";
    EXPECT_EQ(job.print("A" + lines + "B\r\nC"), "text 150 292 A\ntext 150 6192 B\nnew_page\n"
                                                 "text 150 292 C\n");
    // Without perforation skip the text goes on to the foot of the sheet.
    EXPECT_EQ(job.print(Esc + "&l0L" + "A" + lines + "\r\n\r\n\r\nB\r\nC"),
              "text 150 292 A\ntext 150 6492 B\nnew_page\ntext 150 292 C\n");
    // A top margin of 2 lines, a text length of 1.
    EXPECT_EQ(job.print(Esc + "&l2e1F" + "A\r\nB"), "text 150 292 A\nnew_page\ntext 150 192 B\n");
    EXPECT_EQ(job.print("\f\f" + Esc + "E" + "A\f\f" + Esc + "E" + "B" + Esc + "E"),
              "text 150 292 A\nnew_page\ntext 150 292 B\n");
    // A top margin moves the cursor from the next page on. Orientation starts a document
    // laid out across the sheet.
    EXPECT_EQ(job.print("A" + Esc + "&l1O" + "B"), "text 150 292 A\ntext 120 292 B\n");
}

TEST(PclCommandsTest, FontsAreChosenByTheirCharacteristics) {
    LanguageJob job("PCL", 600);
    job.printer.proportional = true;
    const std::string fonts = " font text ";
    // Courier 10 cpi 12 point at power-on; 12 cpi is 10 point; Line Printer 16.67 cpi at
    // 8.5 points; Times 14 point bold italic and Univers in their own glyph widths ("!" is
    // half as wide as the others on the test printer).
    EXPECT_EQ(traced(job, "A" + Esc + "(s12H" + "B" + Esc + "(s0T" + "C", fonts),
              "font face=\"Liberation Mono\" height=-100 width=60 escapement=0 orientation=0 "
              "weight=400 italic=0 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=1\n"
              "text 150 292 U+0041\n"
              "font face=\"Liberation Mono\" height=-83 width=50 escapement=0 orientation=0 "
              "weight=400 italic=0 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=1\n"
              "text 210 306 U+0042\n"
              "font face=\"Liberation Mono\" height=-71 width=36 escapement=0 orientation=0 "
              "weight=400 italic=0 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=1\n"
              "text 260 316 U+0043\n");
    EXPECT_EQ(traced(job, Esc + "(s1p14v1s3b4101T" + "A!B" + Esc + "(s4148T" + "C", fonts),
              "font face=\"Liberation Serif\" height=-117 width=0 escapement=0 orientation=0 "
              "weight=700 italic=1 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=2\n"
              "text 150 271 U+0041\ntext 220 271 U+0021\ntext 255 271 U+0042\n"
              "font face=\"Liberation Sans\" height=-117 width=0 escapement=0 orientation=0 "
              "weight=700 italic=1 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=2\n"
              "text 325 269 U+0043\n");
    // Symbol sets: Roman-8, PC-8, Windows Cyrillic; the secondary font by SO and SI.
    EXPECT_EQ(traced(job,
                     Esc + "(8U\xC5" + Esc + "(10U\xC4" + Esc + "(9R\xC0" + Esc + ")s1P" + "\x0E" +
                         "A\x0F" + "B",
                     " text "),
              "text 150 292 U+00E9\ntext 210 292 U+2500\ntext 270 292 U+0410\n"
              "text 330 284 U+0041\ntext 390 292 U+0042\n");
    // Underline on and off.
    EXPECT_NE(traced(job, Esc + "&dDA" + Esc + "&d@B", fonts).find("underline=1"),
              std::string::npos);
}

TEST(PclCommandsTest, ADownloadedFontPrintsInTheNearestInstalledFace) {
    LanguageJob job("PCL", 600);
    // A 64-byte header: proportional, Roman-8, 14.4 points (240 quarter dots), Times
    // (4101); then one character's data, which prints nothing.
    std::string header(64, '\0');
    header[1] = 64;
    header[13] = 1;
    header[14] = 0x01;
    header[15] = 0x15;
    header[18] = 0;
    header[19] = static_cast<char>(240);
    header[25] = 0x05;
    header[26] = 0x10;
    const std::string download = Esc + "*c7D" + Esc + ")s64W" + header + Esc + "*c65E" + Esc +
                                 "(s12W" + "ABC\x1B" + "DEFGHIJK";
    EXPECT_EQ(traced(job, download + Esc + "(7X" + "A", " font text "),
              "font face=\"Liberation Serif\" height=-120 width=0 escapement=0 orientation=0 "
              "weight=400 italic=0 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=2\n"
              "text 150 268 U+0041\n");
    // Deleted, the ID selects nothing.
    EXPECT_EQ(traced(job, download + Esc + "*c0F" + Esc + "(7X" + "A", " text "),
              "text 150 292 U+0041\n");
}

TEST(PclCommandsTest, RectanglesFillInBlackWhiteGreyAndPatterns) {
    LanguageJob job("PCL", 600);
    const std::string fills = " fill_color fill_rect ";
    // At the cursor (150 + 600, 300 + 1200), 300 by 150 dots of 1/300 inch.
    const std::string at = Esc + "*p300x600Y";
    EXPECT_EQ(traced(job, at + Esc + "*c300a150b0P", fills),
              "fill_rect 750 1500 1350 1800\nfill_color 0 0 0\n");
    EXPECT_EQ(traced(job, at + Esc + "*c720h360v20g2P" + Esc + "*c1P", fills),
              "fill_color 204 204 204\nfill_rect 750 1500 1350 1800\nfill_color 0 0 0\n"
              "fill_color 255 255 255\nfill_rect 750 1500 1350 1800\nfill_color 0 0 0\n");
    // Vertical lines a sixteenth of an inch apart, one 300-dpi dot thick.
    EXPECT_EQ(
        traced(job, at + Esc + "*c50a10b2g3P", fills),
        "fill_rect 750 1500 752 1520\nfill_rect 788 1500 790 1520\nfill_rect 826 1500 828 1520\n");
    EXPECT_EQ(job.print(at + Esc + "*c0a10b0P" + "A"), "text 750 1417 A\n");
}

TEST(PclCommandsTest, RasterRowsBecomeOnePictureWithTheCursorBelowIt) {
    LanguageJob job("PCL", 600);
    // 150 dpi: a dot is 4 pixels. Rows of two bytes and one: 16 dots across, 2 down.
    const std::string rows = Esc + "*b2W" + std::string("\xFF\0", 2) + Esc + "*b1W\x0F";
    EXPECT_EQ(job.print(Esc + "*t150R" + Esc + "*r1A" + rows + Esc + "*rB" + "A"),
              "image 150 375 214 383 16x2\ntext 150 300 A\n");
    // At the cursor (1) or at the left edge (0); the default resolution is 75 dpi.
    EXPECT_EQ(job.print("AB" + Esc + "*r1A" + rows + Esc + "*rC"),
              "text 150 292 A\ntext 210 292 B\nimage 270 375 398 391 16x2\n");
    EXPECT_EQ(job.print("AB" + Esc + "*r0A" + rows + Esc + "*rC"),
              "text 150 292 A\ntext 210 292 B\nimage 150 375 278 391 16x2\n");
    // Rows without a start, ended by text; a Y offset leaves blank rows.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*b1W\x80" + Esc + "*b2Y" + Esc + "*b1W\x80" + "A"),
              "image 150 375 166 383 8x4\ntext 150 300 A\n");
    // A combined sequence: compression mode 2 and a row in one.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*b2m2W\xFE\xFF" + Esc + "*rB"),
              "image 150 375 198 377 24x1\n");
    // Raster data ends at the end of the job all the same, and a count larger than the
    // bytes there takes what is there.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*b5W\xFF\xFF"), "image 150 375 182 377 16x1\n");
}

TEST(PclCommandsTest, APictureNeverGrowsPastTheSheet) {
    LanguageJob job("PCL", 600);
    // From the first baseline (375) to the foot of the sheet (6600) there is room for the
    // rows of 3113 dots at 300 dpi: the last row that starts on the sheet is kept, the one
    // after it dropped.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*r0A" + Esc + "*b3112Y" + Esc + "*b1W\x80" + Esc +
                        "*b1W\xFF" + Esc + "*rB"),
              "image 150 375 166 6601 8x3113\n");
    // Thirty times 60000 blank rows ask for gigabytes; the row after them is below the
    // sheet, and the text after the picture prints at the foot of the sheet.
    std::string tall = Esc + "*t600R" + Esc + "*r0A";
    for (int i = 0; i < 30; ++i)
        tall += Esc + "*b60000Y";
    EXPECT_EQ(job.print(tall + Esc + "*b0M" + Esc + "*b1276W" + std::string(1276, '\xFF') + Esc +
                        "*rB" + "A"),
              "text 150 6517 A\n");
    // Counts past what a value field holds are held to 32767.
    EXPECT_EQ(job.print(Esc + "*b99999999999999999999999M" + Esc + "*b1W\xFF" + Esc + "*rB" + "A" +
                        Esc + "*b99999999999999999999999W" + "BC"),
              "text 150 300 A\n");
}

TEST(PclCommandsTest, TheSchemesOwnSequencesComeFirst) {
    LanguageJob job("PCL", 600);
    EXPECT_EQ(job.print(Esc + "&a720H" + "A"), "text 750 292 A\n");
    job.dropList = {Esc + "&a720H"};
    EXPECT_EQ(job.print(Esc + "&a720H" + "A"), "text 150 292 A\n");
}

TEST(PclCommandsTest, JobLanguageLinesAndPlotterBlocksAreTakenWhole) {
    LanguageJob job("PCL", 600);
    EXPECT_EQ(job.print(Esc +
                        "%-12345X@PJL JOB NAME=\"x\"\r\n@PJL SET RESOLUTION=600\r\n"
                        "@PJL ENTER LANGUAGE=PCL\r\n" +
                        Esc + "E" + "A" + Esc + "%0BIN;SP1;PA10,10;LBText" + Esc + "\x03;PD;" +
                        Esc + "%0A" + "B" + Esc + "%-12345X@PJL EOJ\r\n" + Esc + "%-12345X"),
              "text 150 292 A\ntext 210 292 B\n");
    // Transparent data prints the bytes it carries as characters, escape included.
    EXPECT_EQ(traced(job, Esc + "&p3X" + "\x1B\x0D" + "A" + "B", " text "),
              "text 150 292 U+2190\ntext 210 292 U+266A\ntext 270 292 U+0041\n"
              "text 330 292 U+0042\n");
}

TEST(PclCommandsTest, NoByteOfAnyCommandPrintsWhereverItIsCut) {
    // Every command of the table with a value and, where it carries some, data that could
    // print; pairs of one group combined into one sequence; each cut at every length.
    std::vector<std::string> commands;
    const auto entries = PclCommandTable::entries();
    for (const PclCommandEntry& entry : entries) {
        // Display functions and transparent data print by design.
        if ((entry.parameter == 0 && entry.terminator == 'Y') || entry.data == PclData::Transparent)
            continue;
        const char terminator = entry.terminator == 0 ? 'U' : entry.terminator;
        std::string command = Esc;
        if (entry.parameter != 0) {
            command += entry.parameter;
            if (entry.group != 0)
                command += entry.group;
            command += entry.data == PclData::None ? "-12.5" : "4";
        }
        command += terminator;
        if (entry.data != PclData::None)
            command += "Ab\x1B"
                       "E";
        commands.push_back(command);
        for (const PclCommandEntry& other : entries) {
            if (&other == &entry || other.parameter != entry.parameter ||
                other.group != entry.group || other.parameter == 0 || entry.data != PclData::None ||
                other.data == PclData::Transparent || other.terminator == 0)
                continue;
            std::string combined = command;
            // The same command character in its continuing (lower-case) form.
            combined.back() = static_cast<char>(terminator + 0x20);
            combined += "7";
            combined += other.terminator;
            if (other.data != PclData::None)
                combined += "xyz\x1B";
            commands.push_back(combined);
            break;
        }
    }
    ASSERT_GT(commands.size(), 150u);
    LanguageJob job("PCL", 600);
    for (const std::string& command : commands) {
        for (std::size_t length = 1; length <= command.size(); ++length) {
            const std::string cut = command.substr(0, length);
            EXPECT_EQ(traced(job, cut, " text path_text "), "") << cut;
        }
    }
}

namespace {

// What a reader sees of a job: for each line of text, its page, the top of its glyphs, the
// left of its first glyph and its words; then every picture. A gap wider than one and a
// half of the glyph steps before it is a blank between words.
std::string reading(LanguageJob& job, const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    job.print(bytes.str());
    std::istringstream lines(job.trace.str());
    std::string line, out, words;
    int page = 0, lastY = -1, lastX = 0, step = 0;
    const auto flush = [&] {
        if (!words.empty())
            out += words + "\n";
        words.clear();
    };
    while (std::getline(lines, line)) {
        std::istringstream parts(line);
        std::string kind;
        parts >> kind;
        if (kind == "begin_document" || kind == "new_page") {
            flush();
            ++page;
            lastY = -1;
        } else if (kind == "image") {
            flush();
            out += line + "\n";
            lastY = -1;
        } else if (kind == "text") {
            int x, y;
            std::string code;
            parts >> x >> y >> code;
            const int value = std::stoi(code.substr(2), nullptr, 16);
            const std::string character =
                value < 0x7F ? std::string(1, static_cast<char>(value)) : "<" + code + ">";
            if (y != lastY) {
                flush();
                words = std::to_string(page) + " " + std::to_string(y) + " " + std::to_string(x) +
                        " ";
                step = 0;
            } else {
                if (step > 0 && 2 * (x - lastX) > 3 * step)
                    words += ' ';
                else
                    step = x - lastX;
            }
            words += character;
            lastY = y;
            lastX = x;
        }
    }
    flush();
    return out;
}

} // namespace

TEST(PclCommandsTest, TheSampleJobsPrintWhereTheirCommandsPutThem) {
    LanguageJob job("PCL", 600);
    // The letter: a 0-line top margin, 1/300-inch units (2 pixels). Univers 18 point has an
    // em of 150 pixels and its glyph tops 136 above the baseline; Times 10 point 83 and 74,
    // Times 12 point 100 and 89, Univers 10 point 83 and 75, Univers 8 point 67 and 61.
    // So "Northern" at (150, 250) dots is at 150 + 300, 500 - 136.
    EXPECT_EQ(reading(job, MARLET_SOURCE_DIR "/examples/pcl-letter.prn"),
              "image 3950 300 4206 556 64x64\n"
              "1 364 450 Northern Warehouse Ltd.\n"
              "1 546 450 12 Warehouse Street, Tver\n"
              "1 911 450 Dear Mr. Smith,\n"
              "1 1111 450 Your order of 14 March is ready for dispatch.\n"
              "1 1271 450 The total is 1 452.00.\n"
              "1 1615 490 Item Amount\n"
              "1 1775 490 Office paper 385.00\n"
              "1 1895 490 Toner cartridge 1 067.00\n"
              "1 2311 450 Yours sincerely,\n"
              "1 6339 450 Page 1 of 1\n");
    // The driver's job: PJL around it, 1/600-inch units, no top margin, Arial 12 point
    // (em 100, tops 91 above the baseline); the HP-GL/2 chart is taken whole.
    EXPECT_EQ(reading(job, MARLET_SOURCE_DIR "/examples/pcl-driver-job.prn"),
              "1 509 750 Quarterly report\n"
              "1 709 750 Sales by region, see the chart below.\n"
              "1 2909 750 End of page one.\n"
              "2 509 750 Page two.\n");
    // The downloaded font is Times bold 12 point (tops 89 above the baseline); ESC ( 3 @
    // brings back Courier (83) a line lower.
    EXPECT_EQ(reading(job, MARLET_SOURCE_DIR "/examples/pcl-soft-font.prn"),
              "1 286 150 TEXT IN THE DOWNLOADED FONT\n"
              "1 392 150 Back in the power-on font\n");
    // The listing: Line Printer (em 71, tops 59 above the baseline) at 8 lines per inch
    // from a left margin of 5 columns of 1/16.67 inch. The text area's foot stays where
    // the 6-lpi text length put it (300 + 60 x 100): 80 lines on the first page, the
    // second from the top margin plus three quarters of 75.
    std::istringstream listing(reading(job, MARLET_SOURCE_DIR "/examples/pcl-listing.prn"));
    std::string line, some;
    int count = 0;
    while (std::getline(listing, line)) {
        ++count;
        if (count <= 2 || count == 79 || count == 80 || count >= 121)
            some += line + "\n";
    }
    EXPECT_EQ(some, "1 316 330 STOCK LISTING, WAREHOUSE 3\n"
                    "1 466 330 01001 ITEM NO. 1 7 13.50\n"
                    "1 6241 330 01078 ITEM NO. 78 46 1053.00\n"
                    "2 297 330 01079 ITEM NO. 79 53 1066.50\n"
                    "2 3372 330 01120 ITEM NO. 120 340 1620.00\n"
                    "2 3522 330 <U+25BA><U+2192><U+2190><U+25C4> END OF LISTING\n");
}
