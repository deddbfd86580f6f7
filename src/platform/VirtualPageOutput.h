#pragma once

#include "PageOutput.h"
#include "render/VirtualPaper.h"

class QPainter;

namespace marlet {

/// A page output on a virtual sheet: the device values come from the paper's options and
/// each page is the whole sheet, drawn from the printable area's corner.
class VirtualPageOutput : public PageOutput {
public:
    explicit VirtualPageOutput(const VirtualPaper& paper) : m_paper(paper) {}

    int resolutionX() const override { return m_paper.dpi; }
    int resolutionY() const override { return m_paper.dpi; }
    PageSize pageSize(Orientation orientation) const override {
        return m_paper.printable(orientation);
    }
    PhysicalPage physicalPage() const override { return m_paper.physicalPage(); }

protected:
    /// The paper as given.
    const VirtualPaper& paper() const { return m_paper; }
    /// Moves the painter's origin from the sheet's corner to the printable area's, drawing
    /// device pixels at scale image pixels each.
    void placeOrigin(QPainter& painter, Orientation orientation, double scale = 1) const;

private:
    VirtualPaper m_paper;
};

} // namespace marlet
