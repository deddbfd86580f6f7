#pragma once

#include "VirtualPageOutput.h"

#include <QImage>
#include <QPainter>

#include <optional>
#include <string>

namespace marlet {

/// One PNG image per page, PATH with -1, -2, ... before the extension, numbered across the
/// whole job. Each image is written as its page ends, so only one page is held at a time.
/// The pages are laid out on the paper at its own resolution and drawn at the picture's, so
/// a picture of any resolution shows the same layout.
class PngPagesOutput final : public VirtualPageOutput {
public:
    /// Names the images after path ("out.png" gives "out-1.png", "out-2.png", ...); the
    /// images have pictureDpi pixels per inch, or the paper's resolution without one.
    PngPagesOutput(const std::string& path, const VirtualPaper& paper,
                   std::optional<int> pictureDpi = std::nullopt);

    QPainter& beginDocument(const std::string& title, Orientation orientation) override;
    QPainter& newPage() override;
    void endDocument() override;

private:
    QPainter& startPage();
    void finishPage();

    std::string m_path;
    int m_pictureDpi;
    Orientation m_orientation = Orientation::Portrait;
    int m_pagesWritten = 0;
    QImage m_image;
    QPainter m_painter;
};

} // namespace marlet
