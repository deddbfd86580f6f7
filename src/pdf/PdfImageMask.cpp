#include "PdfImageMask.h"

#include "Deflater.h"

namespace marlet {

std::string PdfImageMask::resourceName(std::size_t index) {
    return "Im" + std::to_string(index + 1);
}

std::string PdfImageMask::paint(const std::string& name, int left, int top, int right, int bottom) {
    // The image's first row is the top of its unit square; the page's y runs down, so the
    // square is flipped onto the rectangle.
    return "q 0 g " + std::to_string(right - left) + " 0 0 " + std::to_string(top - bottom) + " " +
           std::to_string(left) + " " + std::to_string(bottom) + " cm /" + name + " Do Q\n";
}

void PdfImageMask::write(PdfFile& file, int number, const BitImage& image) {
    // A set bit is ink: the mask paints where its samples are 1.
    file.stream(number,
                "/Type/XObject/Subtype/Image/Width " + std::to_string(image.width()) + "/Height " +
                    std::to_string(image.height()) +
                    "/ImageMask true/Decode[1 0]/Filter/FlateDecode",
                deflateBytes(std::string_view(reinterpret_cast<const char*>(image.bits().data()),
                                              image.bits().size()),
                             Deflater::StreamLevel));
}

} // namespace marlet
