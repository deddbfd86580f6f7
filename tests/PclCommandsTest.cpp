#include "languages/pcl/PclCommands.h"
#include "support/LanguageJob.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using marlet::testing::LanguageJob;

namespace {

const std::string Esc = "\x1B";

} // namespace

// On the test printer, a 600-dpi sheet of 8 by 11 inches with no unprintable strips: the
// logical page starts a quarter inch (150 pixels) in, the first baseline is the half-inch
// top margin (300) plus three quarters of a 6-lpi line (75), and 12-point Liberation Mono
// has an em of 100 pixels with the baseline 83 below the top of its glyphs.

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
    // Display functions print every byte, controls as their PC glyphs, until ESC Z, which
    // prints too.
    EXPECT_EQ(job.traced(Esc + "Y" + "A\x0E" + Esc + "Z" + "\x0E" + "B", " text "),
              "text 150 292 U+0041\ntext 210 292 U+266B\ntext 270 292 U+2190\n"
              "text 330 292 U+005A\ntext 390 292 U+0042\n");
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

TEST(PclCommandsTest, APrintDirectionTurnsTheCursorsMovesAndWhatPrints) {
    // The logical page is 4500 by 6600 pixels. At 90 degrees its x runs up the sheet from
    // the bottom and its y right from the left edge; the text area turns with it, so that
    // the top margin is the old left one (0). Each glyph's corner is the turned cell's
    // top-left: 83 pixels left of the baseline at 90, above it at 180, right of it at 270.
    LanguageJob job("PCL", 600);
    const std::string at = Esc + "*p300x600Y";
    const struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {Esc + "&a90P" + at + "AB", "text 1267 6000 A\ntext 1267 5940 B\n"},
        {Esc + "&a180P" + at + "AB", "text 4050 5183 A\ntext 3990 5183 B\n"},
        {Esc + "&a270P" + at + "AB", "text 3533 600 A\ntext 3533 660 B\n"},
        // The cursor keeps its place on the sheet: B's baseline starts where A's ended.
        {"A" + Esc + "&a90P" + "B", "text 150 292 A\ntext 127 375 B\n"},
        // Other angles are ignored; 0 turns back.
        {Esc + "&a45P" + at + "A" + Esc + "&a90P" + Esc + "&a0P" + at + "B",
         "text 750 1417 A\ntext 750 1417 B\n"},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(job.print(bytes), expected) << bytes;
    // The font turns a quarter; rectangles and raster pictures turn with the page, from
    // the cursor after A: 200 by 100 pixels across and down the turned page, a row of two
    // dots up the sheet.
    EXPECT_EQ(job.traced(Esc + "&a90P" + at + "A" + Esc + "*c100a50b0P" + Esc + "*t300R" + Esc +
                             "*r1A" + Esc + "*b1W\xC0" + Esc + "*rC",
                         " font text fill_rect image "),
              "font face=\"Liberation Mono\" height=-100 width=60 escapement=900 orientation=900 "
              "weight=400 italic=0 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=1\n"
              "text 1267 6000 U+0041\nfill_rect 1350 5740 1450 5940\n"
              "image 1350 5924 1352 5940 1x8\n");
}

TEST(PclCommandsTest, PageSizeAndLengthPutNewPaperUnderTheFollowingPages) {
    // The test printer's sheet is 4800 by 6600 pixels. Legal (ESC & l 3 A) is 5100 by 8400:
    // the page ends, the next prints on it, and its logical page is as long, so row 80
    // (8375 down) is still on it. A page length of 70 lines at 6 lpi (11.67 inches) picks
    // A4, 0 the printer's own paper; ESC E brings that back too. Unknown sizes and lengths
    // longer than any paper change nothing. The job's end gives the printer its own paper.
    LanguageJob job("PCL", 600);
    const std::string pages = " paper new_page text ";
    const struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"A" + Esc + "&l3A" + "B" + Esc + "&a80R" + "C",
         "text 150 292 U+0041\npaper 5100 8400\nnew_page\ntext 150 292 U+0042\n"
         "text 210 8292 U+0043\npaper 4800 6600\n"},
        {Esc + "&l70P" + "A" + Esc + "&l0P" + "B",
         "paper 4961 7016\ntext 150 292 U+0041\npaper 4800 6600\nnew_page\n"
         "text 150 292 U+0042\n"},
        {Esc + "&l27A" + "A" + Esc + "E" + "B",
         "paper 7016 9921\ntext 150 292 U+0041\npaper 4800 6600\nnew_page\n"
         "text 150 292 U+0042\n"},
        {Esc + "&l5A" + Esc + "&l200P" + Esc + "&a80R" + "A", "text 150 6517 U+0041\n"},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(job.traced(bytes, pages), expected) << bytes;
}

TEST(PclCommandsTest, TheSchemesOwnSequencesComeFirst) {
    LanguageJob job("PCL", 600);
    EXPECT_EQ(job.print(Esc + "&a720H" + "A"), "text 750 292 A\n");
    job.dropList = {Esc + "&a720H"};
    EXPECT_EQ(job.print(Esc + "&a720H" + "A"), "text 150 292 A\n");
    // A sequence of the scheme tried and not found gives the canvas the grid's font; PCL
    // text goes on in its own.
    EXPECT_EQ(job.traced(Esc + "(s1P" + "A" + Esc + "&a0C" + "B", " text font "),
              "font face=\"Liberation Sans\" height=-100 width=0 escapement=0 orientation=0 "
              "weight=400 italic=0 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=2\n"
              "text 150 284 U+0041\n"
              "font face=\"Liberation Sans\" height=100 width=50 escapement=0 orientation=0 "
              "weight=0 italic=0 underline=0 strikeout=0 charset=204 out_precision=4 "
              "clip_precision=0 quality=2 pitch_family=1\n"
              "font face=\"Liberation Sans\" height=-100 width=0 escapement=0 orientation=0 "
              "weight=400 italic=0 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=2\n"
              "text 150 284 U+0042\n");
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
                words =
                    std::to_string(page) + " " + std::to_string(y) + " " + std::to_string(x) + " ";
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
