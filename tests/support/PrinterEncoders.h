#pragma once

#include "render/BitImage.h"

#include <string>
#include <vector>

namespace marlet::testing {

/// A picture as a dot-matrix program sends it: stripes of pins rows, each the image command
/// (ESC K, ESC * m, ESC ^ m, ...), the column count and the columns, top pin in the high bit,
/// then CR LF under the line spacing the caller set.
inline std::string columnStripes(const BitImage& picture, const std::string& command, int pins) {
    const int bytesPerColumn = pins == 9 ? 2 : pins / 8;
    std::string out;
    for (int top = 0; top < picture.height(); top += pins) {
        out += command;
        out += static_cast<char>(picture.width() & 0xFF);
        out += static_cast<char>(picture.width() >> 8);
        for (int x = 0; x < picture.width(); ++x) {
            for (int part = 0; part < bytesPerColumn; ++part) {
                unsigned char byte = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    const int y = top + part * 8 + bit;
                    if (y < top + pins && y < picture.height() && picture.dot(x, y))
                        byte |= static_cast<unsigned char>(0x80 >> bit);
                }
                out += static_cast<char>(byte);
            }
        }
        out += "\r\n";
    }
    return out;
}

namespace detail {

inline std::string runLength(const std::vector<unsigned char>& row) {
    std::string out;
    for (std::size_t i = 0; i < row.size();) {
        std::size_t run = 1;
        while (i + run < row.size() && run < 256 && row[i + run] == row[i])
            ++run;
        out += static_cast<char>(run - 1);
        out += static_cast<char>(row[i]);
        i += run;
    }
    return out;
}

inline std::string packBits(const std::vector<unsigned char>& row) {
    std::string out;
    std::size_t i = 0;
    while (i < row.size()) {
        std::size_t run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i])
            ++run;
        if (run >= 2) {
            out += static_cast<char>(1 - static_cast<int>(run));
            out += static_cast<char>(row[i]);
            i += run;
            continue;
        }
        std::size_t literal = 1;
        while (i + literal < row.size() && literal < 128 &&
               !(i + literal + 1 < row.size() && row[i + literal] == row[i + literal + 1]))
            ++literal;
        out += static_cast<char>(literal - 1);
        out.append(row.begin() + static_cast<std::ptrdiff_t>(i),
                   row.begin() + static_cast<std::ptrdiff_t>(i + literal));
        i += literal;
    }
    return out;
}

inline std::string deltaRow(const std::vector<unsigned char>& row,
                            const std::vector<unsigned char>& seed) {
    std::string out;
    std::size_t position = 0; // just after the last replaced byte
    for (std::size_t i = 0; i < row.size();) {
        if (row[i] == seed[i]) {
            ++i;
            continue;
        }
        std::size_t count = 1;
        while (i + count < row.size() && count < 8 && row[i + count] != seed[i + count])
            ++count;
        std::size_t offset = i - position;
        unsigned char command = static_cast<unsigned char>((count - 1) << 5);
        if (offset < 31) {
            out += static_cast<char>(command | offset);
        } else {
            out += static_cast<char>(command | 31);
            for (offset -= 31; offset >= 255; offset -= 255)
                out += static_cast<char>(255);
            out += static_cast<char>(offset);
        }
        out.append(row.begin() + static_cast<std::ptrdiff_t>(i),
                   row.begin() + static_cast<std::ptrdiff_t>(i + count));
        i += count;
        position = i;
    }
    return out;
}

} // namespace detail

/// A picture as PCL raster graphics at the cursor: the resolution, the compression mode
/// (0 to 3) and one transfer per row, ended with ESC * r B.
inline std::string pclRaster(const BitImage& picture, int resolution, int mode) {
    const std::string esc = "\x1B";
    std::string out = esc + "*t" + std::to_string(resolution) + "R" + esc + "*r1A" + esc + "*b" +
                      std::to_string(mode) + "M";
    std::vector<unsigned char> seed(static_cast<std::size_t>(picture.stride()), 0);
    for (int y = 0; y < picture.height(); ++y) {
        std::vector<unsigned char> row(picture.row(y), picture.row(y) + picture.stride());
        std::string data;
        switch (mode) {
        case 1:
            data = detail::runLength(row);
            break;
        case 2:
            data = detail::packBits(row);
            break;
        case 3:
            data = detail::deltaRow(row, seed);
            break;
        default:
            data.assign(row.begin(), row.end());
            break;
        }
        out += esc + "*b" + std::to_string(data.size()) + "W" + data;
        seed = row;
    }
    return out + esc + "*rB";
}

} // namespace marlet::testing
