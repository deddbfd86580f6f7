#pragma once

#include "VirtualPaper.h"

#include <cmath>
#include <string>

namespace marlet {

/// The size in pixels of a page drawn as an image at pictureDpi.
inline PageSize pageImageSize(const VirtualPaper& paper, int pictureDpi, Orientation orientation) {
    PageSize sheet = paper.sheet(orientation);
    long double scale = static_cast<long double>(pictureDpi) / paper.dpi;
    return {static_cast<int>(std::lround(sheet.width * scale)),
            static_cast<int>(std::lround(sheet.height * scale))};
}

/// The file of one page's image, counting from 1: "out.png" numbers its pages "out-1.png",
/// "out-2.png", …
inline std::string pageImageFileName(const std::string& path, int page) {
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::string number = "-" + std::to_string(page);
    if (!hasExtension)
        return path + number;
    return path.substr(0, dot) + number + path.substr(dot);
}

} // namespace marlet
