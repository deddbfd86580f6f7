#pragma once

#include "PageDevice.h"

namespace marlet {

/// A sheet that no driver describes: the PDF and PNG back ends and the trace report these
/// values as a printer would (A4 at 600 dpi with 100-pixel unprintable strips by default).
struct VirtualPaper {
    int dpi = 600;
    int width = 4960;
    int height = 7016;
    int unprintableX = 100;
    int unprintableY = 100;

    /// The paper and its unprintable strips as a portrait sheet, whatever the orientation.
    PhysicalPage physicalPage() const { return {width, height, unprintableX, unprintableY}; }

    /// The whole sheet in an orientation: landscape lays the portrait sheet on its side.
    PageSize sheet(Orientation orientation) const {
        return orientation == Orientation::Portrait ? PageSize{width, height}
                                                    : PageSize{height, width};
    }

    /// The printable area in an orientation: the sheet less a strip on each side.
    PageSize printable(Orientation orientation) const {
        PageSize whole = sheet(orientation);
        PageSize margins = margin(orientation);
        return {whole.width - 2 * margins.width, whole.height - 2 * margins.height};
    }

    /// The printable area's top-left corner on the sheet; on its side the strips exchange.
    PageSize margin(Orientation orientation) const {
        return orientation == Orientation::Portrait ? PageSize{unprintableX, unprintableY}
                                                    : PageSize{unprintableY, unprintableX};
    }
};

} // namespace marlet
