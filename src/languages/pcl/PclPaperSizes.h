#pragma once

#include "render/PageDevice.h"

#include <optional>

namespace marlet {

/// The sheets a LaserJet prints on, as ESC & l # A names them and as a page length in
/// lines (ESC & l # P) picks them.
class PclPaperSizes {
public:
    /// The portrait sheet of a page size code in device pixels, or none for a code that no
    /// LaserJet knows.
    static std::optional<PageSize> sheet(int code, int resolutionX, int resolutionY);
    /// The shortest paper (envelopes left out) whose length in the orientation is at least
    /// length device pixels, as a portrait sheet; none when even the longest is shorter.
    static std::optional<PageSize> holding(long double length, Orientation orientation,
                                           int resolutionX, int resolutionY);
};

} // namespace marlet
