#include "BoxRenderer.h"

#include <array>
#include <string_view>
#include <vector>

namespace marlet {

namespace {

// Where a stroke may run, across and down. Edge means the cell edge itself, Outside the
// first pixel beyond the opposite edge, Before the first pixel before the cell.
enum class Across : std::uint8_t { Edge, Single, Left, Right, Outside, Before };
enum class Down : std::uint8_t { Edge, Single, Top, Bottom, Outside, Before };

struct Point {
    Across x;
    Down y;
};

using Polyline = std::vector<Point>;
using Figure = std::vector<Polyline>;

Across acrossFrom(std::string_view token) {
    if (token == "X1")
        return Across::Single;
    if (token == "XL")
        return Across::Left;
    if (token == "XR")
        return Across::Right;
    if (token == "x+W")
        return Across::Outside;
    if (token == "x-1")
        return Across::Before;
    return Across::Edge;
}

Down downFrom(std::string_view token) {
    if (token == "Y1")
        return Down::Single;
    if (token == "YT")
        return Down::Top;
    if (token == "YB")
        return Down::Bottom;
    if (token == "y+H")
        return Down::Outside;
    if (token == "y-1")
        return Down::Before;
    return Down::Edge;
}

// Reads figures written as "X1,y > X1,y+H ; x,Y1 > X1,Y1": points joined by ">" make a
// polyline, ";" starts the next one.
Figure parseFigure(std::string_view text) {
    Figure figure(1);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view token = text.substr(start, end - start);
        start = end + 1;
        if (token.empty() || token == ">")
            continue;
        if (token == ";") {
            figure.emplace_back();
            continue;
        }
        std::size_t comma = token.find(',');
        figure.back().push_back(
            {acrossFrom(token.substr(0, comma)), downFrom(token.substr(comma + 1))});
    }
    return figure;
}

// The line figures of 0xB3 to 0xDA.
constexpr std::array<std::string_view, 0xDB - 0xB3> LineFigures = {
    /* B3 */ "X1,y > X1,y+H",
    /* B4 */ "X1,y > X1,y+H ; x,Y1 > X1,Y1",
    /* B5 */ "X1,y > X1,y+H ; X1,YT > x-1,YT ; X1,YB > x-1,YB",
    /* B6 */ "XL,y > XL,y+H ; XR,y > XR,y+H ; x,Y1 > XL,Y1",
    /* B7 */ "XL,Y1 > XL,y+H ; XR,Y1 > XR,y+H ; x,Y1 > XR,Y1",
    /* B8 */ "X1,YT > X1,y+H ; X1,YT > x-1,YT ; X1,YB > x-1,YB",
    /* B9 */ "x,YT > XL,YT > XL,y-1 ; x,YB > XL,YB > XL,y+H ; XR,y > XR,y+H",
    /* BA */ "XL,y > XL,y+H ; XR,y > XR,y+H",
    /* BB */ "x,YB > XL,YB > XL,y+H ; x,YT > XR,YT > XR,y+H",
    /* BC */ "x,YT > XL,YT > XL,y-1 ; x,YB > XR,YB > XR,y-1",
    /* BD */ "XL,Y1 > XL,y-1 ; XR,Y1 > XR,y-1 ; x,Y1 > XR,Y1",
    /* BE */ "X1,YB > X1,y-1 ; X1,YT > x-1,YT ; X1,YB > x-1,YB",
    /* BF */ "x,Y1 > X1,Y1 > X1,y+H",
    /* C0 */ "x+W,Y1 > X1,Y1 > X1,y-1",
    /* C1 */ "x,Y1 > x+W,Y1 ; X1,y > X1,Y1",
    /* C2 */ "x,Y1 > x+W,Y1 ; X1,y+H > X1,Y1",
    /* C3 */ "X1,y > X1,y+H ; x+W,Y1 > X1,Y1",
    /* C4 */ "x,Y1 > x+W,Y1",
    /* C5 */ "x,Y1 > x+W,Y1 ; X1,y > X1,y+H",
    /* C6 */ "X1,y > X1,y+H ; X1,YT > x+W,YT ; X1,YB > x+W,YB",
    /* C7 */ "XL,y > XL,y+H ; XR,y > XR,y+H ; XR,Y1 > x+W,Y1",
    /* C8 */ "XR,y > XR,YT > x+W,YT ; XL,y > XL,YB > x+W,YB",
    /* C9 */ "XR,y+H > XR,YB > x+W,YB ; XL,y+H > XL,YT > x+W,YT",
    /* CA */ "x,YT > XL,YT > XL,y-1 ; XR,y > XR,YT > x+W,YT ; x,YB > x+W,YB",
    /* CB */ "x,YB > XL,YB > XL,y+H ; XR,y+H > XR,YB > x+W,YB ; x,YT > x+W,YT",
    /* CC */ "XR,y+H > XR,YB > x+W,YB ; XR,y > XR,YT > x+W,YT ; XL,y > XL,y+H",
    /* CD */ "x,YT > x+W,YT ; x,YB > x+W,YB",
    /* CE */
    "x,YT > XL,YT > XL,y-1 ; x,YB > XL,YB > XL,y+H ; XR,y+H > XR,YB > x+W,YB ; "
    "XR,y > XR,YT > x+W,YT",
    /* CF */ "x,YT > x+W,YT ; x,YB > x+W,YB ; X1,YT > X1,y-1",
    /* D0 */ "x,Y1 > x+W,Y1 ; XL,Y1 > XL,y-1 ; XR,Y1 > XR,y-1",
    /* D1 */ "x,YT > x+W,YT ; x,YB > x+W,YB ; X1,YB > X1,y+H",
    /* D2 */ "x,Y1 > x+W,Y1 ; XL,Y1 > XL,y+H ; XR,Y1 > XR,y+H",
    /* D3 */ "XL,Y1 > XL,y-1 ; XR,Y1 > XR,y-1 ; XL,Y1 > x+W,Y1",
    /* D4 */ "X1,YB > X1,y-1 ; X1,YT > x+W,YT ; X1,YB > x+W,YB",
    /* D5 */ "X1,YT > X1,y+H ; X1,YT > x+W,YT ; X1,YB > x+W,YB",
    /* D6 */ "XL,Y1 > XL,y+H ; XR,Y1 > XR,y+H ; XL,Y1 > x+W,Y1",
    /* D7 */ "XL,y > XL,y+H ; XR,y > XR,y+H ; x,Y1 > x+W,Y1",
    /* D8 */ "X1,y > X1,y+H ; x,YT > x+W,YT ; x,YB > x+W,YB",
    /* D9 */ "x,Y1 > X1,Y1 > X1,y-1",
    /* DA */ "x+W,Y1 > X1,Y1 > X1,y+H",
};

const std::vector<Figure>& lineFigures() {
    static const std::vector<Figure> figures = [] {
        std::vector<Figure> parsed;
        for (std::string_view text : LineFigures)
            parsed.push_back(parseFigure(text));
        return parsed;
    }();
    return figures;
}

// R(v) for v given as twice its value: every term of the positions is a multiple of one
// half, so whole-number arithmetic is exact and a tie goes to the even neighbour.
std::int32_t roundHalves(long long twice) {
    long long whole = twice >= 0 ? twice / 2 : -((-twice + 1) / 2);
    if (twice - 2 * whole == 1 && whole % 2 != 0)
        ++whole;
    return static_cast<std::int32_t>(whole);
}

// R(origin + cell/2 + halfGaps * gap/2) less the origin.
std::int32_t centred(std::int32_t origin, int cell, int halfGaps, int gap) {
    return roundHalves(2LL * origin + cell + static_cast<long long>(halfGaps) * gap) - origin;
}

// Where strokes run along a cell side of that length, from a corner of that parity: the
// edge, the single line, the two lines of a double one, the far edge and the pixel before.
std::array<std::int32_t, 6> offsetsAlong(std::int32_t parity, int length, int gap) {
    return {0,
            centred(parity, length, -1, gap),
            centred(parity, length, -3, gap),
            centred(parity, length, 3, gap),
            length,
            -1};
}

std::int32_t halfOf(int length) {
    return roundHalves(length);
}

} // namespace

void BoxRenderer::drawFigure(std::int32_t x, std::int32_t y, std::uint16_t& code,
                             std::uint16_t cellWidth, std::uint16_t cellHeight) {
    const int W = cellWidth;
    const int H = cellHeight;
    m_printer->setPenWidth(W / 10);
    const std::uint16_t figure = code;
    code = 0x20;

    switch (figure) {
    case 0xB0:
    case 0xB1:
        m_printer->setFillColor(128, 128, 128);
        m_printer->fillRect(x, y, x + W, y + H);
        return;
    case 0xB2:
        m_printer->setFillColor(192, 192, 192);
        m_printer->fillRect(x, y, x + W, y + H);
        return;
    case 0xDB:
    case 0xDC:
    case 0xDD:
    case 0xDE:
    case 0xDF: {
        // Blocks are solid ink: the gray of a shade before them must not carry over.
        m_printer->setFillColor(0, 0, 0);
        const int left = figure == 0xDE ? x + halfOf(W) : x;
        const int right = figure == 0xDD ? x + halfOf(W) : x + W;
        const int top = figure == 0xDC ? y + halfOf(H) : y;
        const int bottom = figure == 0xDF ? y + halfOf(H) : y + H;
        m_printer->fillRect(left, top, right, bottom);
        return;
    }
    default:
        break;
    }
    if (figure < 0xB3 || figure > 0xDA)
        return;

    sizeCell(W, H);
    const std::array<std::int32_t, 6>& across = m_offsets[static_cast<std::size_t>(x & 1)].across;
    const std::array<std::int32_t, 6>& down = m_offsets[static_cast<std::size_t>(y & 1)].down;
    for (const Polyline& line : lineFigures()[figure - 0xB3]) {
        const Point& start = line.front();
        m_printer->moveTo(x + across[static_cast<int>(start.x)],
                          y + down[static_cast<int>(start.y)]);
        for (std::size_t i = 1; i < line.size(); ++i)
            m_printer->lineTo(x + across[static_cast<int>(line[i].x)],
                              y + down[static_cast<int>(line[i].y)]);
    }
}

void BoxRenderer::sizeCell(int width, int height) {
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    const int gap = height / 16;
    for (std::int32_t parity : {0, 1}) {
        StrokeOffsets& offsets = m_offsets[static_cast<std::size_t>(parity)];
        offsets.across = offsetsAlong(parity, width, gap);
        offsets.down = offsetsAlong(parity, height, gap);
    }
}

} // namespace marlet
