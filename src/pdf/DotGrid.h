#pragma once

#include <cstdint>
#include <numeric>

namespace marlet {

/// Where the dots of pictures fall along one side of the page: a dot is pixels/dots device
/// pixels long, and dot number c (counted from anywhere, negative too) starts
/// (c * pixels + phase) / dots pixels from the printable area's edge. Two pictures whose
/// dots fall on the same grid can share one image mask, dot for dot.
struct DotGrid {
    std::int64_t pixels = 1;
    std::int64_t dots = 1;
    std::int64_t phase = 0; // 0 <= phase < pixels

    /// The grid of a picture of count dots over pixels start..end-1 (start < end, count > 0).
    static DotGrid of(int start, int end, int count) {
        const std::int64_t length = static_cast<std::int64_t>(end) - start;
        const std::int64_t common = std::gcd(length, static_cast<std::int64_t>(count));
        DotGrid grid{length / common, count / common, 0};
        grid.phase = floorMod(start * grid.dots, grid.pixels);
        return grid;
    }

    /// The number of the dot that starts at pixel position (which lies on the grid).
    std::int64_t dotAt(std::int64_t position) const { return (position * dots - phase) / pixels; }
    /// The first dot that reaches past position.
    std::int64_t firstDotAfter(std::int64_t position) const {
        return floorDiv(position * dots - phase, pixels);
    }
    /// The first dot that starts at or after position.
    std::int64_t firstDotFrom(std::int64_t position) const {
        return -floorDiv(phase - position * dots, pixels);
    }
    /// Where dot c starts, in device pixels.
    double start(std::int64_t c) const {
        return static_cast<double>(c * pixels + phase) / static_cast<double>(dots);
    }

    bool operator==(const DotGrid&) const = default;

private:
    static std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
        return a / b - (a % b != 0 && a < 0);
    }
    static std::int64_t floorMod(std::int64_t a, std::int64_t b) { return a - floorDiv(a, b) * b; }
};

/// The grid of the device's own pixels.
inline constexpr DotGrid DevicePixels{1, 1, 0};

} // namespace marlet
