#include "PdfImageMask.h"

#include "Deflater.h"

#include <charconv>
#include <cmath>

namespace marlet {

namespace {

// A position to four places: a dot that is not a whole number of pixels starts between them.
std::string number(double value) {
    char text[32];
    char* end = std::to_chars(text, text + sizeof text, std::round(value * 10000) / 10000,
                              std::chars_format::fixed, 4)
                    .ptr;
    while (end[-1] == '0')
        --end;
    if (end[-1] == '.')
        --end;
    return std::string(text, end);
}

} // namespace

std::string PdfImageMask::resourceName(std::size_t index) {
    return "Im" + std::to_string(index + 1);
}

std::string PdfImageMask::paint(const std::string& name, double left, double top, double right,
                                double bottom) {
    // The image's first row is the top of its unit square; the page's y runs down, so the
    // square is flipped onto the rectangle.
    return "q 0 g " + number(right - left) + " 0 0 " + number(top - bottom) + " " + number(left) +
           " " + number(bottom) + " cm /" + name + " Do Q\n";
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
