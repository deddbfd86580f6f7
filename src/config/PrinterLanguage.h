#pragma once

#include <string_view>

namespace marlet {

/// The printer language whose bit images and binary spacing a scheme understands beside
/// its twenty sequences. None leaves every byte to the scheme, as a scheme without a
/// "Language" value always did.
enum class PrinterLanguage {
    None,
    EscP,       ///< 9-pin ESC/P: vertical units of 1/216 inch, 8-dot images 72 dpi tall.
    EscP2,      ///< 24-pin ESC/P2: vertical units of 1/180 inch, 24-dot images.
    Proprinter, ///< The Proprinter's 9-pin commands.
    Pcl,        ///< PCL raster graphics and cursor positioning.
};

/// The value name in a scheme's key that switches a language on.
inline constexpr const char* LanguageValueName = "Language";

/// The language a "Language" value names ("ESC/P", "ESC/P2", "Proprinter", "PCL", any case);
/// None for an empty or unknown name.
PrinterLanguage printerLanguageNamed(std::string_view name);
/// The name a scheme stores for the language; empty for None.
std::string_view printerLanguageName(PrinterLanguage language);

} // namespace marlet
