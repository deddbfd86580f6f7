#pragma once

#include "PageDevice.h"
#include "base/Rounding.h"

namespace marlet {

/// A sheet as a printer describes it: its resolution, its size as a portrait sheet and the
/// unprintable strips along its edges, in device pixels (A4 at 600 dpi with 100-pixel
/// strips by default). The PDF and PNG back ends and the trace report these values.
struct VirtualPaper {
    int dpi = 600;
    int width = 4960;
    int height = 7016;
    int unprintableX = 100;
    int unprintableY = 100;
    /// The right and bottom strips; -1 makes them as wide as the left and top ones.
    int unprintableRight = -1;
    int unprintableBottom = -1;

    int rightStrip() const { return unprintableRight >= 0 ? unprintableRight : unprintableX; }
    int bottomStrip() const { return unprintableBottom >= 0 ? unprintableBottom : unprintableY; }

    /// Whether a portrait sheet of that size leaves room to print inside the strips.
    bool holdsStrips(PageSize sheet) const {
        return sheet.width > unprintableX + rightStrip() &&
               sheet.height > unprintableY + bottomStrip();
    }

    /// The paper and its left and top strips as a portrait sheet, whatever the orientation.
    PhysicalPage physicalPage() const { return {width, height, unprintableX, unprintableY}; }

    /// The whole sheet in an orientation: landscape lays the portrait sheet on its side.
    PageSize sheet(Orientation orientation) const {
        return orientation == Orientation::Portrait ? PageSize{width, height}
                                                    : PageSize{height, width};
    }

    /// The printable area in an orientation: the sheet less its strips.
    PageSize printable(Orientation orientation) const {
        PageSize portrait{width - unprintableX - rightStrip(),
                          height - unprintableY - bottomStrip()};
        return orientation == Orientation::Portrait ? portrait
                                                    : PageSize{portrait.height, portrait.width};
    }

    /// The printable area's top-left corner on the sheet. Landscape turns the portrait
    /// sheet a quarter to the left: its top strip comes to the left, its right one to the top.
    PageSize margin(Orientation orientation) const {
        return orientation == Orientation::Portrait ? PageSize{unprintableX, unprintableY}
                                                    : PageSize{unprintableY, rightStrip()};
    }

    /// A4 as printer drivers report it at a resolution: 4960 x 7016 at 600 dpi.
    static PageSize a4(int dpi) {
        return {roundToField<int>(dpi * 124.0L / 15), roundToField<int>(dpi * 877.0L / 75)};
    }
};

} // namespace marlet
