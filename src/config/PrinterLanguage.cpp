#include "PrinterLanguage.h"

#include <array>
#include <utility>

namespace marlet {

namespace {

constexpr std::array<std::pair<PrinterLanguage, std::string_view>, 4> Names = {{
    {PrinterLanguage::EscP, "ESC/P"},
    {PrinterLanguage::EscP2, "ESC/P2"},
    {PrinterLanguage::Proprinter, "Proprinter"},
    {PrinterLanguage::Pcl, "PCL"},
}};

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

PrinterLanguage printerLanguageNamed(std::string_view name) {
    for (const auto& [language, text] : Names) {
        if (sameLetters(name, text))
            return language;
    }
    return PrinterLanguage::None;
}

std::string_view printerLanguageName(PrinterLanguage language) {
    for (const auto& [known, text] : Names) {
        if (known == language)
            return text;
    }
    return {};
}

} // namespace marlet
