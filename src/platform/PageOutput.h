#pragma once

#include "render/PageDevice.h"

#include <string>

class QPainter;

namespace marlet {

/// Where a Qt page device's pages go (PNG images, a system printer) and the device values
/// that place the grid on them.
class PageOutput {
public:
    virtual ~PageOutput() = default;

    /// Pixels per inch across.
    virtual int resolutionX() const = 0;
    /// Pixels per inch down.
    virtual int resolutionY() const = 0;
    /// Printable width and height in an orientation.
    virtual PageSize pageSize(Orientation orientation) const = 0;
    /// Paper size and unprintable offsets of the portrait sheet.
    virtual PhysicalPage physicalPage() const = 0;
    /// Paper of that portrait size for the pages started from now on; false when the
    /// output keeps its own.
    virtual bool setPaper(PageSize /*sheet*/) { return false; }

    /// Opens a document and its first page; the painter's origin is the printable area's
    /// top-left corner.
    virtual QPainter& beginDocument(const std::string& title, Orientation orientation) = 0;
    /// Ends the page and returns the painter of the next, placed the same way.
    virtual QPainter& newPage() = 0;
    /// Ends the page and the document.
    virtual void endDocument() = 0;
    /// Ends a document whose job was stopped between pages: a printer takes the job back,
    /// pictures keep the pages already whole, as endDocument() does.
    virtual void cancel() { endDocument(); }
};

} // namespace marlet
