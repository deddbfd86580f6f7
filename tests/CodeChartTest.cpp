// The code chart's cell and drawing rules, on a surface that writes down what it is asked.

#include "charset/CodeChart.h"
#include "config/FileBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace marlet;

namespace {

/// Every character is 10 pixels wide, a space 7.
class RecordingSurface : public ChartSurface {
public:
    void selectFont(std::uint8_t charset) override { fonts.push_back(charset); }
    int textWidth(char16_t character) override { return character == u' ' ? 7 : 10; }
    void drawText(int x, int y, char16_t character) override { drawn.push_back({x, y, character}); }
    void drawFigure(int x, int y, int width, int height, std::uint16_t figure) override {
        figures.push_back({x, y, width, height, figure});
    }

    struct Text {
        int x;
        int y;
        char16_t character;
        bool operator==(const Text&) const = default;
    };
    struct Figure {
        int x;
        int y;
        int width;
        int height;
        std::uint16_t code;
        bool operator==(const Figure&) const = default;
    };
    std::vector<std::uint8_t> fonts;
    std::vector<Text> drawn;
    std::vector<Figure> figures;
};

using Texts = std::vector<RecordingSurface::Text>;
using Figures = std::vector<RecordingSurface::Figure>;
using Fonts = std::vector<std::uint8_t>;

CodePageTable table(std::string_view text) {
    CodePageTable loaded;
    loaded.loadText(text);
    return loaded;
}

constexpr ChartCell Cell{19, 30};

} // namespace

TEST(CodeChartTest, TheCellAndWindowFollowTheScreen) {
    EXPECT_EQ(ChartCell::forScreen(1024, 768), (ChartCell{19, 30}));
    EXPECT_EQ(ChartCell::forScreen(1024, 768).windowWidth(), 627);
    EXPECT_EQ(ChartCell::forScreen(1024, 768).windowHeight(), 510);
    EXPECT_EQ(ChartCell::forScreen(800, 600), (ChartCell{15, 23}));
    EXPECT_EQ(ChartCell::forScreen(800, 600).windowWidth(), 495);
    EXPECT_EQ(ChartCell::forScreen(800, 600).windowHeight(), 391);
    // Halves go to the even neighbour: 1025 / 50 = 20.5 and 1075 / 50 = 21.5.
    EXPECT_EQ(ChartCell::forScreen(1025, 625).width, 19);
    EXPECT_EQ(ChartCell::forScreen(1075, 625).width, 21);
    EXPECT_EQ(ChartCell::forScreen(1075, 612).height, 23) << "24.48 rounds to 24";
}

TEST(CodeChartTest, LineFeedCarriageReturnSpaceAndControlBytesGoByTheTranslatedCode) {
    // 'L' prints as a line feed, 'R' as a carriage return, byte 0x01 as a space.
    CodePageTable codes = table("L=10\r\nR=13\r\n\x01=32\r\n");
    RecordingSurface surface;
    drawCodeChart("ab\x01"
                  "c\x02"
                  "dLeRf\r\ng",
                  codes, Cell, surface);
    EXPECT_EQ(surface.drawn, (Texts{{0, 0, u'a'},
                                    {10, 0, u'b'},
                                    {27, 0, u'c'},
                                    {37, 0, u'd'},
                                    {47, 30, u'e'},
                                    {0, 30, u'f'},
                                    {0, 60, u'g'}}))
        << "LF keeps x, CR keeps y, a control byte draws nothing and keeps x";
}

TEST(CodeChartTest, TheFontIsMadeAnewOncePerRunOfEqualMarkers) {
    CodePageTable codes = table("A=65#0\r\nB=66#0\r\nC=67#204\r\nD=68#204\r\nE=69#254\r\n");
    RecordingSurface surface;
    drawCodeChart("ABCDDCE\x01 ABF", codes, Cell, surface);
    EXPECT_EQ(surface.fonts, (Fonts{0, 204, 254, 0, 1}))
        << "starts on set 0, so the first box-drawing bytes make none; a space or a control "
           "byte between markers changes nothing";
}

TEST(CodeChartTest, BoxDrawingFiguresFillACellAsWideAsASpaceAndDelShowsTheHouse) {
    // 0xB0 to 0xDF with the box-drawing marker are figures; the same codes under a font's
    // character set, and marker 0 past the figures, are text.
    CodePageTable codes = table("a=176#0\r\nb=196#0\r\nc=223#0\r\nd=224#0\r\ne=201#204\r\n"
                                "f=127#254\r\n");
    RecordingSurface surface;
    drawCodeChart("ab cdef", codes, Cell, surface);
    EXPECT_EQ(surface.figures,
              (Figures{{0, 0, 7, 30, 0xB0}, {7, 0, 7, 30, 0xC4}, {21, 0, 7, 30, 0xDF}}))
        << "each figure is a space wide and a chart cell tall, and moves on by a space";
    EXPECT_EQ(surface.drawn, (Texts{{28, 0, u'\u00E0'}, {38, 0, u'É'}, {48, 0, u'⌂'}}))
        << "DEL shows the house of the DOS screen, not the box a face has for it";
    EXPECT_EQ(chartCharacter(0x7F), u'⌂');
    EXPECT_EQ(chartCharacter(0x0410), u'А');
}

TEST(CodeChartTest, TheChartFileHoldsEveryByteSixteenToALine) {
    std::optional<std::string> bytes = readFileBytes(MARLET_DATA_DIR "/ASCII.TBL");
    ASSERT_TRUE(bytes);
    std::vector<int> seen(256);
    for (unsigned char byte : *bytes)
        ++seen[byte];
    for (int byte = 0; byte < 256; ++byte) {
        // Blanks separate the cells; CR and LF also end the lines.
        int expected = byte == ' ' ? 256 + 1 : byte == '\r' || byte == '\n' ? 16 : 1;
        EXPECT_EQ(seen[byte], expected) << "byte " << byte;
    }

    // Drawn through the identity table, every byte from 32 up sits in its own cell: row
    // b / 16 at y = row x 30, column b % 16 at x = (2 x column + 1) x 10 with 10-pixel
    // glyphs and blanks.
    CodePageTable identity = table(std::string("\x01\x01\xff\xff=0\r\n"));
    class WideBlanks : public RecordingSurface {
        int textWidth(char16_t) override { return 10; }
    } surface;
    drawCodeChart(*bytes, identity, Cell, surface);
    ASSERT_EQ(surface.drawn.size() + surface.figures.size(), 256u - 33u);
    for (const auto& text : surface.drawn) {
        int byte = text.character == u'⌂' ? 0x7F : text.character;
        EXPECT_EQ(text.x, (2 * (byte % 16) + 1) * 10) << "byte " << byte;
        EXPECT_EQ(text.y, byte / 16 * 30) << "byte " << byte;
    }
    for (const auto& figure : surface.figures) {
        EXPECT_EQ(figure.x, (2 * (figure.code % 16) + 1) * 10) << "figure " << figure.code;
        EXPECT_EQ(figure.y, figure.code / 16 * 30) << "figure " << figure.code;
    }
}
