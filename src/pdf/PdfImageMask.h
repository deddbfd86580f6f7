#pragma once

#include "PdfFile.h"
#include "render/BitImage.h"

#include <string>

namespace marlet {

/// Bit images on a PDF page: each an image mask XObject, Flate-compressed, that paints its
/// inked dots in black and leaves the rest of the page showing, so a picture stays sharp at
/// any zoom and a page of them stays small.
class PdfImageMask {
public:
    /// The page's resource name of its index-th image ("Im1" for the first).
    static std::string resourceName(std::size_t index);
    /// The operators that paint the named image over device pixels from (left, top) to
    /// (right, bottom), in a content stream whose space is device pixels with y down.
    static std::string paint(const std::string& name, double left, double top, double right,
                             double bottom);
    /// Writes the image as the stream object of that number.
    static void write(PdfFile& file, int number, const BitImage& image);
};

} // namespace marlet
