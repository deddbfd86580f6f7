#include "languages/pcl/PclPaperSizes.h"

#include "base/Rounding.h"

#include <cstdint>

namespace marlet {

namespace {

constexpr std::int64_t MicrometresPerInch = 25400;

// A page size code and its portrait sheet in micrometres.
struct Paper {
    int code;
    std::int64_t width;
    std::int64_t height;
    bool envelope;
};

constexpr std::int64_t inches(long double value) {
    return static_cast<std::int64_t>(value * MicrometresPerInch);
}

constexpr std::int64_t millimetres(std::int64_t value) {
    return value * 1000;
}

constexpr Paper Papers[] = {
    {1, inches(7.25L), inches(10.5L), false},        // Executive
    {2, inches(8.5L), inches(11), false},            // Letter
    {3, inches(8.5L), inches(14), false},            // Legal
    {6, inches(11), inches(17), false},              // Ledger
    {25, millimetres(148), millimetres(210), false}, // A5
    {26, millimetres(210), millimetres(297), false}, // A4
    {27, millimetres(297), millimetres(420), false}, // A3
    {80, inches(3.875L), inches(7.5L), true},        // Monarch
    {81, inches(4.125L), inches(9.5L), true},        // Commercial 10
    {90, millimetres(110), millimetres(220), true},  // International DL
    {91, millimetres(162), millimetres(229), true},  // International C5
    {100, millimetres(176), millimetres(250), true}, // International B5
};

PageSize pixels(const Paper& paper, int resolutionX, int resolutionY) {
    return {static_cast<int>(roundRatio(paper.width * resolutionX, MicrometresPerInch)),
            static_cast<int>(roundRatio(paper.height * resolutionY, MicrometresPerInch))};
}

} // namespace

std::optional<PageSize> PclPaperSizes::sheet(int code, int resolutionX, int resolutionY) {
    for (const Paper& paper : Papers)
        if (paper.code == code)
            return pixels(paper, resolutionX, resolutionY);
    return std::nullopt;
}

std::optional<PageSize> PclPaperSizes::holding(long double length, Orientation orientation,
                                               int resolutionX, int resolutionY) {
    // A landscape page's length runs along the sheet's width.
    std::optional<PageSize> shortest;
    for (const Paper& paper : Papers) {
        if (paper.envelope)
            continue;
        const PageSize sheet = pixels(paper, resolutionX, resolutionY);
        const int along = orientation == Orientation::Portrait ? sheet.height : sheet.width;
        const int shortestAlong = !shortest                              ? 0
                                  : orientation == Orientation::Portrait ? shortest->height
                                                                         : shortest->width;
        if (along >= length && (!shortest || along < shortestAlong))
            shortest = sheet;
    }
    return shortest;
}

} // namespace marlet
