#pragma once

#include <algorithm>
#include <cstdlib>

namespace marlet {

/// The pixels a one-pixel pen sets from (x0, y0) towards (x1, y1), the end point left out,
/// as GDI steps a line: the minor coordinate rounded half away from the start. They come
/// as runs, each a rectangle (left, top, width, height) handed to emitRun, so that a vector
/// back end and a raster one colour the same pixels.
template <typename Emit>
void forEachThinLineRun(int x0, int y0, int x1, int y1, Emit emitRun) {
    const int dx = x1 - x0;
    const int dy = y1 - y0;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    const bool alongX = std::abs(dx) >= std::abs(dy);
    int runStart = 0;
    int runX = x0;
    int runY = y0;
    auto flush = [&](int count) {
        if (count <= 0)
            return;
        if (alongX)
            emitRun(dx >= 0 ? runX : runX - count + 1, runY, count, 1);
        else
            emitRun(runX, dy >= 0 ? runY : runY - count + 1, 1, count);
    };
    const long long minorDelta = alongX ? dy : dx;
    for (int step = 0; step < steps; ++step) {
        long long numerator = 2 * minorDelta * step + (minorDelta >= 0 ? steps : -steps);
        int minor = static_cast<int>(numerator / (2LL * steps));
        int px = alongX ? x0 + (dx >= 0 ? step : -step) : x0 + minor;
        int py = alongX ? y0 + minor : y0 + (dy >= 0 ? step : -step);
        if (alongX ? py != runY : px != runX) {
            flush(step - runStart);
            runStart = step;
            runX = px;
            runY = py;
        }
    }
    flush(steps - runStart);
}

} // namespace marlet
