#include "OutputFile.h"

#include "base/Error.h"
#include "pdf/PdfPageDevice.h"

#include <filesystem>
#include <stdexcept>

namespace marlet {

bool outputFileUsesQt(const std::string& path) {
    return std::filesystem::path(path).extension() == ".png";
}

std::unique_ptr<PageDevice> openOutputFile(const std::string& path, const VirtualPaper& paper,
                                           QtDevices* qt, std::optional<int> pictureDpi) {
    if (outputFileUsesQt(path)) {
        if (!qt)
            throw std::logic_error("PNG pages need Qt's devices");
        return qt->openPngPages(path, paper, pictureDpi);
    }
    if (path == "-" || std::filesystem::path(path).extension() == ".pdf")
        return std::make_unique<PdfPageDevice>(paper, std::make_unique<PdfFileDestination>(path));
    throw UsageError("-o writes a .pdf, .png or - (PDF on standard output), not '" + path + "'");
}

} // namespace marlet
