#include "PdfPageImages.h"

#include "PdfImageMask.h"

#include <algorithm>

namespace marlet {

namespace {

// Grids of their own a page gets before pictures of yet another density share the one of
// device pixels.
constexpr std::size_t MaxGrids = 4;
// A layer's dots: 32 MB of picture, more than a sheet of A4 at 600 dpi.
constexpr std::int64_t MaxDots = std::int64_t{1} << 28;

const DotGrid DevicePixels{1, 1, 0};

DotBox meet(const DotBox& a, const DotBox& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

} // namespace

void PdfPageImages::start(int left, int top, int right, int bottom) {
    m_left = left;
    m_top = top;
    m_right = right;
    m_bottom = bottom;
    m_layers.clear();
    m_finished.clear();
}

DotBox PdfPageImages::sheetOn(const DotGrid& across, const DotGrid& down) const {
    return {across.firstDotAfter(m_left), down.firstDotAfter(m_top), across.firstDotFrom(m_right),
            down.firstDotFrom(m_bottom)};
}

void PdfPageImages::add(int left, int top, int right, int bottom, const BitImage& image) {
    if (right <= left || bottom <= top || image.width() == 0 || image.height() == 0)
        return;
    const DotGrid across = DotGrid::of(left, right, image.width());
    const DotGrid down = DotGrid::of(top, bottom, image.height());
    const std::int64_t originX = across.dotAt(left);
    const std::int64_t originY = down.dotAt(top);
    const DotBox place = meet({originX, originY, originX + image.width(), originY + image.height()},
                              sheetOn(across, down));
    if (place.empty())
        return;
    const bool ownGrid = std::any_of(m_layers.begin(), m_layers.end(), [&](const MaskLayer& layer) {
        return layer.holds(across, down);
    });
    if (!ownGrid && m_layers.size() >= MaxGrids &&
        !(across == DevicePixels && down == DevicePixels)) {
        addInPixels(left, top, right, bottom, image);
        return;
    }
    addToLayer(layerFor(across, down), image, originX, originY, place);
}

void PdfPageImages::addInPixels(int left, int top, int right, int bottom, const BitImage& image) {
    // The dots under the centres of the sheet's pixels, as a printer of the device's
    // resolution prints them.
    const DotBox place = meet({left, top, right, bottom}, {m_left, m_top, m_right, m_bottom});
    if (place.empty())
        return;
    const BitImage pixels = image.scaledPart(
        std::int64_t{right} - left, std::int64_t{bottom} - top, place.left - left, place.top - top,
        static_cast<int>(place.right - place.left), static_cast<int>(place.bottom - place.top));
    addToLayer(layerFor(DevicePixels, DevicePixels), pixels, place.left, place.top, place);
}

MaskLayer& PdfPageImages::layerFor(const DotGrid& across, const DotGrid& down) {
    for (MaskLayer& layer : m_layers) {
        if (layer.holds(across, down))
            return layer;
    }
    return m_layers.emplace_back(across, down, sheetOn(across, down));
}

void PdfPageImages::addToLayer(MaskLayer& layer, const BitImage& image, std::int64_t originX,
                               std::int64_t originY, const DotBox& place) {
    if (layer.add(image, originX, originY, place, MaxDots))
        return;
    // Pictures far apart on a sheet larger than the limit: the layer so far becomes a mask
    // of its own, and a new one starts.
    m_finished.push_back(layer.take());
    layer.add(image, originX, originY, place, MaxDots);
}

void PdfPageImages::finish(std::string& paint, std::vector<BitImage>& images) {
    for (MaskLayer& layer : m_layers) {
        if (!layer.empty())
            m_finished.push_back(layer.take());
    }
    for (PlacedMask& mask : m_finished) {
        paint += PdfImageMask::paint(PdfImageMask::resourceName(images.size()), mask.left, mask.top,
                                     mask.right, mask.bottom);
        images.push_back(std::move(mask.dots));
    }
    m_layers.clear();
    m_finished.clear();
}

} // namespace marlet
