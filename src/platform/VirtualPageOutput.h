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
    bool setPaper(PageSize sheet) override {
        // The strips stay; a sheet too small to hold them keeps the old paper.
        if (!m_paper.holdsStrips(sheet))
            return false;
        m_paper.width = sheet.width;
        m_paper.height = sheet.height;
        return true;
    }

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
