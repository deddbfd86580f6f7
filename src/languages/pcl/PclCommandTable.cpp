#include "languages/pcl/PclCommandTable.h"

#include "languages/pcl/PclCommands.h"

namespace marlet {

namespace {

constexpr PclData None = PclData::None;
constexpr PclData Binary = PclData::Binary;

} // namespace

std::span<const PclCommandEntry> PclCommandTable::entries() {
    using C = PclCommands;
    // Parameter, group and command characters; the data that follows; what obeys it.
    static const PclCommandEntry Entries[] = {
        // Two-character sequences.
        {0, 0, 'E', None, &C::printerReset},
        {0, 0, '9', None, &C::clearMargins},
        {0, 0, '=', None, &C::halfLineFeed},
        {0, 0, 'Y', None, &C::displayFunctions},
        {0, 0, 'Z', None, nullptr}, // display functions end only while they are on
        {0, 0, 'z', None, nullptr}, // self-test
        // Job control, language switching.
        {'%', 0, 'X', None, &C::exitLanguage},
        {'%', 0, 'A', None, nullptr},
        {'%', 0, 'B', None, &C::plotterBlock},
        {'&', 'l', 'X', None, nullptr}, // copies
        {'&', 'l', 'S', None, nullptr}, // simplex or duplex
        {'&', 'l', 'U', None, nullptr}, // left registration
        {'&', 'l', 'Z', None, nullptr}, // top registration
        {'&', 'l', 'T', None, nullptr}, // job separation
        {'&', 'l', 'G', None, nullptr}, // output bin
        {'&', 'l', 'M', None, nullptr}, // media type
        {'&', 'a', 'G', None, nullptr}, // duplex page side
        {'&', 'r', 'F', None, nullptr}, // flush pages
        {'&', 'u', 'D', None, &C::unitOfMeasure},
        // Page control.
        {'&', 'l', 'H', None, &C::paperSource},
        {'&', 'l', 'A', None, &C::pageSize},
        {'&', 'l', 'P', None, &C::pageLength},
        {'&', 'l', 'O', None, &C::orientation},
        {'&', 'a', 'P', None, nullptr}, // print direction
        {'&', 'l', 'E', None, &C::topMargin},
        {'&', 'l', 'F', None, &C::textLength},
        {'&', 'a', 'L', None, &C::leftMargin},
        {'&', 'a', 'M', None, &C::rightMargin},
        {'&', 'k', 'H', None, &C::horizontalMotion},
        {'&', 'l', 'C', None, &C::verticalMotion},
        {'&', 'l', 'D', None, &C::linesPerInch},
        {'&', 'l', 'L', None, &C::perforationSkip},
        {'&', 'k', 'G', None, &C::lineTermination},
        {'&', 's', 'C', None, &C::wrap},
        // Cursor positioning.
        {'&', 'a', 'C', None, &C::column},
        {'&', 'a', 'R', None, &C::row},
        {'&', 'a', 'H', None, &C::decipointsAcross},
        {'&', 'a', 'V', None, &C::decipointsDown},
        {'*', 'p', 'X', None, &C::dotsAcross},
        {'*', 'p', 'Y', None, &C::dotsDown},
        {'&', 'f', 'S', None, &C::pushPop},
        // Fonts.
        {'(', 0, 'X', None, &C::fontById},
        {')', 0, 'X', None, &C::fontById},
        {'(', 0, '@', None, &C::defaultFont},
        {')', 0, '@', None, &C::defaultFont},
        {'(', 0, 0, None, &C::symbolSet},
        {')', 0, 0, None, &C::symbolSet},
        {'(', 's', 'P', None, &C::spacing},
        {')', 's', 'P', None, &C::spacing},
        {'(', 's', 'H', None, &C::pitch},
        {')', 's', 'H', None, &C::pitch},
        {'(', 's', 'V', None, &C::height},
        {')', 's', 'V', None, &C::height},
        {'(', 's', 'S', None, &C::style},
        {')', 's', 'S', None, &C::style},
        {'(', 's', 'B', None, &C::strokeWeight},
        {')', 's', 'B', None, &C::strokeWeight},
        {'(', 's', 'T', None, &C::typeface},
        {')', 's', 'T', None, &C::typeface},
        {'(', 's', 'Q', None, nullptr}, // quality
        {')', 's', 'Q', None, nullptr},
        {'&', 'k', 'S', None, &C::pitchMode},
        {'&', 'd', 'D', None, &C::underline},
        {'&', 'd', '@', None, &C::underline},
        {'&', 'p', 'X', PclData::Transparent, &C::transparentData},
        {'&', 't', 'P', None, nullptr}, // text parsing method
        // Downloaded fonts, characters and symbol sets.
        {'*', 'c', 'D', None, &C::fontId},
        {'*', 'c', 'E', None, nullptr}, // character code
        {'*', 'c', 'F', None, &C::fontControl},
        {')', 's', 'W', Binary, &C::fontHeader},
        {'(', 's', 'W', Binary, nullptr}, // character data
        {'(', 'f', 'W', Binary, nullptr}, // symbol set definition
        {'*', 'c', 'R', None, nullptr},   // symbol set ID code
        {'*', 'c', 'S', None, nullptr},   // symbol set control
        // Macros.
        {'&', 'f', 'Y', None, nullptr},
        {'&', 'f', 'X', None, nullptr},
        // Rectangles and patterns.
        {'*', 'c', 'A', None, &C::rectangleWidthDots},
        {'*', 'c', 'B', None, &C::rectangleHeightDots},
        {'*', 'c', 'H', None, &C::rectangleWidthDecipoints},
        {'*', 'c', 'V', None, &C::rectangleHeightDecipoints},
        {'*', 'c', 'G', None, &C::patternId},
        {'*', 'c', 'P', None, &C::fillRectangle},
        {'*', 'c', 'W', Binary, nullptr}, // user-defined pattern
        {'*', 'c', 'Q', None, nullptr},   // pattern control
        {'*', 'v', 'T', None, nullptr},   // current pattern
        {'*', 'v', 'N', None, nullptr},   // source transparency
        {'*', 'v', 'O', None, nullptr},   // pattern transparency
        {'*', 'p', 'R', None, nullptr},   // pattern reference point
        {'*', 'l', 'O', None, nullptr},   // logical operation
        {'*', 'l', 'R', None, nullptr},   // pixel placement
        // Raster graphics.
        {'*', 't', 'R', None, &C::rasterResolution},
        {'*', 'r', 'A', None, &C::rasterStart},
        {'*', 'r', 'B', None, &C::rasterEnd},
        {'*', 'r', 'C', None, &C::rasterEnd},
        {'*', 'b', 'M', None, &C::rasterCompression},
        {'*', 'b', 'W', Binary, &C::rasterRow},
        {'*', 'b', 'Y', None, &C::rasterSkip},
        {'*', 'r', 'F', None, nullptr},   // presentation
        {'*', 'r', 'S', None, nullptr},   // source width
        {'*', 'r', 'T', None, nullptr},   // source height
        {'*', 't', 'H', None, nullptr},   // destination width
        {'*', 't', 'V', None, nullptr},   // destination height
        {'*', 't', 'J', None, nullptr},   // render algorithm
        {'*', 'b', 'V', Binary, nullptr}, // a colour plane
        {'*', 'g', 'W', Binary, nullptr}, // raster data configuration
        // Colour.
        {'*', 'r', 'U', None, nullptr},
        {'*', 'v', 'W', Binary, nullptr},
        {'*', 'v', 'A', None, nullptr},
        {'*', 'v', 'B', None, nullptr},
        {'*', 'v', 'C', None, nullptr},
        {'*', 'v', 'I', None, nullptr},
        {'*', 'v', 'S', None, nullptr},
        {'*', 'p', 'P', None, nullptr},   // push or pop palette
        {'*', 'm', 'W', Binary, nullptr}, // dither matrix
        {'*', 'i', 'W', Binary, nullptr}, // viewing illuminant
        {'*', 'o', 'W', Binary, nullptr}, // driver configuration
        {'*', 'o', 'M', None, nullptr},   // print quality
        // HP-GL/2 picture frame.
        {'*', 'c', 'X', None, nullptr},
        {'*', 'c', 'Y', None, nullptr},
        {'*', 'c', 'T', None, nullptr},
        {'*', 'c', 'K', None, nullptr},
        {'*', 'c', 'L', None, nullptr},
        // Status, identification.
        {'&', 'n', 'W', Binary, nullptr}, // alphanumeric ID
        {'&', 'b', 'W', Binary, nullptr}, // AppleTalk configuration
        {'*', 's', 'T', None, nullptr},
        {'*', 's', 'U', None, nullptr},
        {'*', 's', 'I', None, nullptr},
        {'*', 's', 'X', None, nullptr},
        {'&', 'r', 'T', None, nullptr},
    };
    return Entries;
}

const PclCommandEntry* PclCommandTable::find(const PclCommand& command) {
    const PclCommandEntry* anyLetter = nullptr;
    for (const PclCommandEntry& entry : entries()) {
        if (entry.parameter != command.parameter || entry.group != command.group)
            continue;
        if (entry.terminator == command.terminator)
            return &entry;
        if (entry.terminator == 0 && command.terminator >= 'A' && command.terminator <= 'Z')
            anyLetter = &entry;
    }
    return anyLetter;
}

} // namespace marlet
