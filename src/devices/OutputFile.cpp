#include "OutputFile.h"

#include "base/Error.h"
#include "pdf/PdfPageDevice.h"
#include "platform/GuiEnvironment.h"
#include "platform/PngPagesOutput.h"
#include "platform/QtPageDevice.h"

#include <filesystem>

namespace marlet {

bool outputFileUsesQt(const std::string& path) {
    return std::filesystem::path(path).extension() == ".png";
}

std::unique_ptr<PageDevice> openOutputFile(const std::string& path, const VirtualPaper& paper,
                                           std::optional<int> pictureDpi) {
    if (outputFileUsesQt(path)) {
        requireGuiApplication();
        return std::make_unique<QtPageDevice>(
            std::make_unique<PngPagesOutput>(path, paper, pictureDpi));
    }
    if (path == "-" || std::filesystem::path(path).extension() == ".pdf")
        return std::make_unique<PdfPageDevice>(paper, std::make_unique<PdfFileDestination>(path));
    throw UsageError("-o writes a .pdf, .png or - (PDF on standard output), not '" + path + "'");
}

} // namespace marlet
