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
        {'&', 'l', 'H', None, &C::pageControl},
        {'&', 'l', 'A', None, &C::pageControl},
        {'&', 'l', 'P', None, &C::pageControl},
        {'&', 'l', 'O', None, &C::pageControl},
        {'&', 'a', 'P', None, &C::printDirection},
        {'&', 'l', 'E', None, &C::layout},
        {'&', 'l', 'F', None, &C::layout},
        {'&', 'a', 'L', None, &C::layout},
        {'&', 'a', 'M', None, &C::layout},
        {'&', 'k', 'H', None, &C::layout},
        {'&', 'l', 'C', None, &C::layout},
        {'&', 'l', 'D', None, &C::layout},
        {'&', 'l', 'L', None, &C::layout},
        {'&', 'k', 'G', None, &C::lineTermination},
        {'&', 's', 'C', None, &C::wrap},
        // Cursor positioning.
        {'&', 'a', 'C', None, &C::move},
        {'&', 'a', 'R', None, &C::move},
        {'&', 'a', 'H', None, &C::move},
        {'&', 'a', 'V', None, &C::move},
        {'*', 'p', 'X', None, &C::move},
        {'*', 'p', 'Y', None, &C::move},
        {'&', 'f', 'S', None, &C::pushPop},
        // Fonts.
        {'(', 0, 'X', None, &C::font},
        {')', 0, 'X', None, &C::font},
        {'(', 0, '@', None, &C::font},
        {')', 0, '@', None, &C::font},
        {'(', 0, 0, None, &C::font},
        {')', 0, 0, None, &C::font},
        {'(', 's', 'P', None, &C::font},
        {')', 's', 'P', None, &C::font},
        {'(', 's', 'H', None, &C::font},
        {')', 's', 'H', None, &C::font},
        {'(', 's', 'V', None, &C::font},
        {')', 's', 'V', None, &C::font},
        {'(', 's', 'S', None, &C::font},
        {')', 's', 'S', None, &C::font},
        {'(', 's', 'B', None, &C::font},
        {')', 's', 'B', None, &C::font},
        {'(', 's', 'T', None, &C::font},
        {')', 's', 'T', None, &C::font},
        {'(', 's', 'Q', None, nullptr}, // quality
        {')', 's', 'Q', None, nullptr},
        {'&', 'k', 'S', None, &C::font},
        {'&', 'd', 'D', None, &C::underline},
        {'&', 'd', '@', None, &C::underline},
        {'&', 'p', 'X', PclData::Transparent, &C::transparentData},
        {'&', 't', 'P', None, nullptr}, // text parsing method
        // Downloaded fonts, characters and symbol sets.
        {'*', 'c', 'D', None, &C::softFont},
        {'*', 'c', 'E', None, nullptr}, // character code
        {'*', 'c', 'F', None, &C::softFont},
        {')', 's', 'W', Binary, &C::softFont},
        {'(', 's', 'W', Binary, nullptr}, // character data
        {'(', 'f', 'W', Binary, nullptr}, // symbol set definition
        {'*', 'c', 'R', None, nullptr},   // symbol set ID code
        {'*', 'c', 'S', None, nullptr},   // symbol set control
        // Macros.
        {'&', 'f', 'Y', None, nullptr},
        {'&', 'f', 'X', None, nullptr},
        // Rectangles and patterns.
        {'*', 'c', 'A', None, &C::rectangle},
        {'*', 'c', 'B', None, &C::rectangle},
        {'*', 'c', 'H', None, &C::rectangle},
        {'*', 'c', 'V', None, &C::rectangle},
        {'*', 'c', 'G', None, &C::rectangle},
        {'*', 'c', 'P', None, &C::rectangle},
        {'*', 'c', 'W', Binary, nullptr}, // user-defined pattern
        {'*', 'c', 'Q', None, nullptr},   // pattern control
        {'*', 'v', 'T', None, nullptr},   // current pattern
        {'*', 'v', 'N', None, nullptr},   // source transparency
        {'*', 'v', 'O', None, nullptr},   // pattern transparency
        {'*', 'p', 'R', None, nullptr},   // pattern reference point
        {'*', 'l', 'O', None, nullptr},   // logical operation
        {'*', 'l', 'R', None, nullptr},   // pixel placement
        // Raster graphics.
        {'*', 't', 'R', None, &C::raster},
        {'*', 'r', 'A', None, &C::raster},
        {'*', 'r', 'B', None, &C::raster},
        {'*', 'r', 'C', None, &C::raster},
        {'*', 'b', 'M', None, &C::raster},
        {'*', 'b', 'W', Binary, &C::raster},
        {'*', 'b', 'Y', None, &C::raster},
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

PclData PclCommandTable::dataOf(const PclCommandEntry* entry, const PclCommand& command) {
    if (entry)
        return entry->data;
    return command.terminator == 'W' ? PclData::Binary : PclData::None;
}

PclAfter PclCommandTable::after(const PclCommandEntry* entry, const PclCommand& command) {
    if (!entry || !entry->handler)
        return PclAfter::Nothing;
    if (entry->handler == &PclCommands::exitLanguage)
        return command.value == UniversalExitValue ? PclAfter::JobLanguage : PclAfter::Nothing;
    if (entry->handler == &PclCommands::plotterBlock)
        return PclAfter::PlotterBlock;
    if (entry->handler == &PclCommands::displayFunctions && command.terminator == 'Y')
        return PclAfter::DisplayFunctions;
    return PclAfter::Nothing;
}

} // namespace marlet
