#pragma once

#include "FakeDevice.h"
#include "devices/PrinterCatalog.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace marlet::testing {

using Jobs = std::vector<std::string>;

/// A printer that keeps the text of each document it printed where the test can see it
/// after the printer is gone.
class RecordingPrinter : public FakeDevice {
public:
    RecordingPrinter(Jobs& documents, std::function<void()>& duringJob)
        : m_documents(documents), m_duringJob(duringJob) {}

    void beginDocument(const std::string& title) override {
        FakeDevice::beginDocument(title);
        m_documents.emplace_back();
        if (m_duringJob)
            m_duringJob();
    }
    void textOut(int, int, char16_t character) override {
        m_documents.back() += static_cast<char>(character);
    }

private:
    Jobs& m_documents;
    std::function<void()>& m_duringJob;
};

/// Two printers: "Office" at 600 dpi, the default, and "Label" at 300 dpi.
class FakeCatalog : public PrinterCatalog {
public:
    std::vector<std::string> printers() const override { return {"Office", "Label"}; }
    std::string defaultPrinter() const override { return "Office"; }
    std::vector<std::string> fontFamilies(const std::string&) const override { return families; }
    std::unique_ptr<PageDevice> open(const std::string& name) const override {
        auto printer = std::make_unique<RecordingPrinter>(printed[name], duringJob);
        if (name == "Label")
            printer->dpiX = printer->dpiY = 300;
        return printer;
    }

    /// What fontFamilies() gives for every printer.
    std::vector<std::string> families{"Courier New", "Liberation Sans"};
    /// The documents each printer printed, by name.
    mutable std::map<std::string, Jobs> printed;
    /// Runs as each document begins.
    mutable std::function<void()> duringJob;
};

} // namespace marlet::testing
