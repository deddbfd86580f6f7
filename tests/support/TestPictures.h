#pragma once

#include "render/BitImage.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace marlet::testing {

/// A QR code of the text as qrencode makes it, each module scale by scale dots, with the
/// four-module quiet zone.
inline BitImage qrCode(const std::string& text, int scale) {
    std::string command = "qrencode -t ASCII -m 4 -s 1 -o - '" + text + "'";
    std::vector<std::string> rows;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char line[4096];
        while (std::fgets(line, sizeof line, pipe)) {
            std::string row(line);
            while (!row.empty() && (row.back() == '\n' || row.back() == '\r'))
                row.pop_back();
            if (!row.empty())
                rows.push_back(row);
        }
        pclose(pipe);
    }
    if (rows.empty())
        throw std::runtime_error("qrencode gave no code");
    // Two characters a module: "##" dark, two spaces light.
    const int modules = static_cast<int>(rows[0].size() / 2);
    BitImage image(modules * scale, static_cast<int>(rows.size()) * scale);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const std::string& row = rows[static_cast<std::size_t>(y / scale)];
            if (row[static_cast<std::size_t>(x / scale * 2)] == '#')
                image.setDot(x, y);
        }
    }
    return image;
}

/// A Code 128 (set B) barcode of printable ASCII text: bars module dots wide and height
/// dots tall, with a quiet zone of ten modules on either side.
inline BitImage code128(const std::string& text, int module, int height) {
    // Bar and space widths of the 107 symbols, in modules; the stop symbol has seven.
    static const std::array<const char*, 107> Patterns = {
        "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
        "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
        "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
        "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
        "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
        "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
        "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
        "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
        "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
        "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
        "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
        "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};
    constexpr int StartB = 104;
    constexpr int Stop = 106;
    std::vector<int> symbols{StartB};
    int checksum = StartB;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int value = text[i] - 32;
        symbols.push_back(value);
        checksum += static_cast<int>(i + 1) * value;
    }
    symbols.push_back(checksum % 103);
    symbols.push_back(Stop);

    std::vector<bool> modules(10, false);
    for (int symbol : symbols) {
        bool bar = true;
        for (const char* width = Patterns[static_cast<std::size_t>(symbol)]; *width; ++width) {
            modules.insert(modules.end(), static_cast<std::size_t>(*width - '0'), bar);
            bar = !bar;
        }
    }
    modules.insert(modules.end(), 10, false);
    BitImage image(static_cast<int>(modules.size()) * module, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (modules[static_cast<std::size_t>(x / module)])
                image.setDot(x, y);
        }
    }
    return image;
}

/// A made-up photograph, a lit sphere before rippled stripes, dithered to one bit by
/// Floyd and Steinberg's error diffusion: the worst case for a picture's dots.
inline BitImage ditheredPhoto(int width, int height) {
    std::vector<double> grey(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = (x - width * 0.4) / (height * 0.4);
            const double v = (y - height * 0.5) / (height * 0.4);
            double level = 0.5 + 0.35 * std::sin(x * 0.11 + 3 * std::sin(y * 0.05));
            if (u * u + v * v < 1)
                level =
                    0.15 + 0.8 * std::max(0.0, (-u - v + std::sqrt(2.0)) / (2 * std::sqrt(2.0)));
            grey[static_cast<std::size_t>(y) * width + x] = level;
        }
    }
    BitImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double& here = grey[static_cast<std::size_t>(y) * width + x];
            const bool ink = here < 0.5;
            if (ink)
                image.setDot(x, y);
            const double error = here - (ink ? 0.0 : 1.0);
            auto spread = [&](int dx, int dy, double share) {
                if (x + dx >= 0 && x + dx < width && y + dy < height)
                    grey[static_cast<std::size_t>(y + dy) * width + x + dx] += error * share;
            };
            spread(1, 0, 7.0 / 16);
            spread(-1, 1, 3.0 / 16);
            spread(0, 1, 5.0 / 16);
            spread(1, 1, 1.0 / 16);
        }
    }
    return image;
}

/// The pictures one below the other, each starting at the left edge.
inline BitImage stacked(const std::vector<BitImage>& pictures) {
    int width = 0;
    int height = 0;
    for (const BitImage& picture : pictures) {
        width = std::max(width, picture.width());
        height += picture.height();
    }
    BitImage out(width, height);
    int top = 0;
    for (const BitImage& picture : pictures) {
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (picture.dot(x, y))
                    out.setDot(x, top + y);
            }
        }
        top += picture.height();
    }
    return out;
}

} // namespace marlet::testing
