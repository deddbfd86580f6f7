#pragma once

#include "platform/PageOutput.h"

class QPainter;

namespace marlet {

/// A page output that is a picture already open for painting, such as the code chart's:
/// its one page is the whole picture at the screen's resolution, and a new page draws on
/// over what is there.
class PicturePageOutput final : public PageOutput {
public:
    /// Draws with painter, whose device is the picture.
    explicit PicturePageOutput(QPainter& painter) : m_painter(painter) {}

    int resolutionX() const override;
    int resolutionY() const override;
    /// The picture's size, whatever the orientation.
    PageSize pageSize(Orientation orientation) const override;
    /// The picture as a sheet with no unprintable strips.
    PhysicalPage physicalPage() const override;

    QPainter& beginDocument(const std::string& title, Orientation orientation) override;
    QPainter& newPage() override { return m_painter; }
    /// Leaves the painter open: the picture's owner ends it.
    void endDocument() override {}

private:
    QPainter& m_painter;
};

} // namespace marlet
