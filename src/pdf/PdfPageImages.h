#pragma once

#include "MaskLayer.h"
#include "render/BitImage.h"

#include <string>
#include <vector>

namespace marlet {

/// The pictures of one PDF page, gathered into a few image masks: pictures whose dots fall
/// on one grid (a line of them drawn a column at a time, stripes stacked under each other)
/// share one mask, dots off the sheet are left out, and a page holds nine masks at most
/// however its pictures were cut up. Once the first few grids have theirs, a picture on
/// yet another grid goes in device pixels along the side that does not line up.
class PdfPageImages {
public:
    /// Starts a page whose sheet spans device pixels left..right-1 and top..bottom-1.
    void start(int left, int top, int right, int bottom);
    /// Adds a picture stretched over device pixels left..right-1 and top..bottom-1.
    void add(int left, int top, int right, int bottom, const BitImage& image);
    /// Appends the operators that paint the page's masks to paint and the masks, named in
    /// that order (PdfImageMask::resourceName), to images; the page is empty again.
    void finish(std::string& paint, std::vector<BitImage>& images);

private:
    // Where a picture lies along one side of the page: in its own dots or in device
    // pixels, the first and end of those on the sheet, and how many the picture spans.
    struct Span {
        bool scaled = false;
        std::int64_t origin = 0;
        std::int64_t first = 0;
        std::int64_t end = 0;
        std::int64_t length = 0;
    };
    // One side of a picture: its grid, its pixels, its dots, and the sheet's pixels.
    struct Side {
        DotGrid grid;
        std::int64_t start = 0;
        std::int64_t end = 0;
        std::int64_t dots = 0;
        std::int64_t sheetStart = 0;
        std::int64_t sheetEnd = 0;

        Span span(bool inDots) const;
    };

    MaskLayer* layerFor(const DotGrid& across, const DotGrid& down);
    void addTo(MaskLayer& layer, const BitImage& image, const Span& across, const Span& down);
    void addToLayer(MaskLayer& layer, const BitImage& image, std::int64_t originX,
                    std::int64_t originY, const DotBox& place);
    DotBox sheetOn(const DotGrid& across, const DotGrid& down) const;

    int m_left = 0;
    int m_top = 0;
    int m_right = 0;
    int m_bottom = 0;
    std::vector<MaskLayer> m_layers;
    std::vector<PlacedMask> m_finished; // layers that filled up, in order
};

} // namespace marlet
