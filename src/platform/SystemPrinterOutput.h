#pragma once

#include "PageOutput.h"

#include <QPainter>
#include <QPrinter>

#include <string>

namespace marlet {

/// A printer queue of the system (CUPS) through QPrinter at its full resolution; the
/// device values are the driver's.
class SystemPrinterOutput final : public PageOutput {
public:
    /// Opens the queue by name, the default queue when the name is empty.
    explicit SystemPrinterOutput(const std::string& name);

    int resolutionX() const override { return m_printer.resolution(); }
    int resolutionY() const override { return m_printer.resolution(); }
    PageSize pageSize(Orientation orientation) const override;
    PhysicalPage physicalPage() const override;

    QPainter& beginDocument(const std::string& title, Orientation orientation) override;
    QPainter& newPage() override;
    void endDocument() override;
    /// Aborts the printer's job; an engine that cannot take it back prints the whole pages.
    void cancel() override;

    /// Whether the system has a default printer.
    static bool defaultAvailable();

private:
    QPrinter m_printer;
    QPainter m_painter;
};

} // namespace marlet
