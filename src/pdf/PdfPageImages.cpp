#include "PdfPageImages.h"

#include "PdfImageMask.h"

#include <algorithm>
#include <array>

namespace marlet {

namespace {

// A layer's dots: 32 MB of picture, more than a sheet of A4 at 600 dpi.
constexpr std::int64_t MaxDots = std::int64_t{1} << 28;

// Layers a page may hold with both sides on the pictures' own dots, with one side, and
// with none (device pixels).
constexpr std::array<std::ptrdiff_t, 3> LayersOfKind = {4, 4, 1};

} // namespace

void PdfPageImages::start(int left, int top, int right, int bottom) {
    m_left = left;
    m_top = top;
    m_right = right;
    m_bottom = bottom;
    m_layers.clear();
    m_finished.clear();
}

PdfPageImages::Span PdfPageImages::Side::span(bool inDots) const {
    if (inDots) {
        const std::int64_t origin = grid.dotAt(start);
        return {false, origin, std::max(origin, grid.firstDotAfter(sheetStart)),
                std::min(origin + dots, grid.firstDotFrom(sheetEnd)), dots};
    }
    return {true, start, std::max(start, sheetStart), std::min(end, sheetEnd), end - start};
}

DotBox PdfPageImages::sheetOn(const DotGrid& across, const DotGrid& down) const {
    return {across.firstDotAfter(m_left), down.firstDotAfter(m_top), across.firstDotFrom(m_right),
            down.firstDotFrom(m_bottom)};
}

void PdfPageImages::add(int left, int top, int right, int bottom, const BitImage& image) {
    if (right <= left || bottom <= top || image.width() == 0 || image.height() == 0)
        return;
    const Side across{
        DotGrid::of(left, right, image.width()), left, right, image.width(), m_left, m_right};
    const Side down{
        DotGrid::of(top, bottom, image.height()), top, bottom, image.height(), m_top, m_bottom};
    const Span pixelsAcross = across.span(false);
    const Span pixelsDown = down.span(false);
    if (pixelsAcross.end <= pixelsAcross.first || pixelsDown.end <= pixelsDown.first)
        return;
    // The picture's own dots where a layer of that grid is or may be made; device pixels
    // along a side whose grid has no layer left to it.
    for (const auto& [inDotsAcross, inDotsDown] :
         {std::pair{true, true}, {true, false}, {false, true}, {false, false}}) {
        const DotGrid gridAcross = inDotsAcross ? across.grid : DevicePixels;
        const DotGrid gridDown = inDotsDown ? down.grid : DevicePixels;
        if (MaskLayer* layer = layerFor(gridAcross, gridDown)) {
            addTo(*layer, image, across.span(inDotsAcross), down.span(inDotsDown));
            return;
        }
    }
}

MaskLayer* PdfPageImages::layerFor(const DotGrid& across, const DotGrid& down) {
    for (MaskLayer& layer : m_layers) {
        if (layer.holds(across, down))
            return &layer;
    }
    // Each kind of grid has a few layers, so that a page holds a few masks at most.
    const int kind = (across == DevicePixels) + (down == DevicePixels);
    const auto made = std::count_if(m_layers.begin(), m_layers.end(), [&](const MaskLayer& layer) {
        return layer.devicePixelSides() == kind;
    });
    if (made >= LayersOfKind[kind])
        return nullptr;
    return &m_layers.emplace_back(across, down, sheetOn(across, down));
}

void PdfPageImages::addTo(MaskLayer& layer, const BitImage& image, const Span& across,
                          const Span& down) {
    const DotBox place{across.first, down.first, across.end, down.end};
    if (place.empty())
        return;
    if (!across.scaled && !down.scaled) {
        addToLayer(layer, image, across.origin, down.origin, place);
        return;
    }
    // The dots under the centres of the sheet's pixels, as a printer of the device's
    // resolution prints them.
    const BitImage part = image.scaledPart(
        across.length, down.length, across.first - across.origin, down.first - down.origin,
        static_cast<int>(across.end - across.first), static_cast<int>(down.end - down.first));
    addToLayer(layer, part, across.first, down.first, place);
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
