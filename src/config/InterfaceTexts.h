#pragma once

#include "config/LanguageFile.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace marlet {

/// The interface texts a language file sets, in the order in which they are applied.
enum class TextKey {
    TrayIconHint,
    Title,
    TabMain,
    TabFonts,
    SpoolParam,
    TimeOut,
    Sec,
    AutoPrint,
    EOFPrint,
    Print,
    PrintFile,
    Clear,
    FileName,
    Preview,
    NewVersion,
    Orientation,
    Portrait,
    Landscape,
    TextParam,
    WordWrap,
    FormFeed,
    Minimize,
    Printer,
    Select,
    MonoSpaceOnly,
    FontStyle,
    Bold,
    Italic,
    Underline,
    Strikeout,
    Esc,
    Size,
    PageParam,
    Set1,
    Set2,
    Vertical,
    Horizontal,
    Lines,
    Chars,
    TopMargin,
    LeftMargin,
    FontPreview,
    MonoSpace,
    Proportional,
    ExitTitle,
    ExitLine1,
    ExitLine2,
    MenuOpen,
    MenuCancel,
    MenuExit,
    Add,
    Codes,
    Apply,
    Cancel,
    Close,
    Capture,
    Initialize,
    // The answers of the exit question.
    Yes,
    No,
    // The printer set-up dialog and the notice of a PDF written.
    Ok,
    PdfWritten,
    // Why the scheme editor refuses a name.
    SchemeNameEmpty,
    SchemeNameTaken,
    // Deleting and renaming a stored scheme; %1 in the question is the scheme's name.
    Delete,
    Rename,
    SchemeBuiltIn,
    DeleteScheme,
    // The locale of Qt's own texts in this language ("ru").
    Locale,
    // The tray menu's item that tells the program's version.
    About,
    Version,
    // The jobs window: its caption, the list's columns, the states, the commands.
    Jobs,
    JobNumber,
    JobTime,
    JobState,
    JobPages,
    JobWhere,
    JobPrinting,
    JobWaiting,
    JobPrinted,
    JobCancelled,
    JobFailed,
    JobPage,
    JobPrintAgain,
    JobSavePdf,
    JobOpenPdf,
    JobPdfFolder,
    JobBytes,
    JobDelete,
    JobStop,
    JobPreparing,
    JobPreviewFailed,
    PageLimitQuestion,
};

inline constexpr std::size_t TextKeyCount =
    static_cast<std::size_t>(TextKey::PageLimitQuestion) + 1;

/// Every visible text of the interface, as the current language file gives it; empty until a
/// file is loaded. The desktop app shows these on its windows, tray icon and menu.
class InterfaceTexts {
public:
    /// Every key, in the order in which the texts are applied.
    static const std::array<TextKey, TextKeyCount>& keys();
    /// The key as a language file spells it ("TrayIconHint").
    static std::string_view keyName(TextKey key);
    /// The key of that name, matched without regard to case, or nothing.
    static std::optional<TextKey> findKey(std::string_view name);

    /// Reads a language file and takes every text from it. Fails with "Cannot open file
    /// NAME", and then every text stays as it was.
    void load(const std::string& fileName);
    /// Takes every text from the file; a key that the file lacks gets an empty text.
    void apply(const LanguageFile& file);

    /// The text for the key.
    const std::string& text(TextKey key) const { return m_texts[static_cast<std::size_t>(key)]; }
    /// The text for the key.
    const std::string& operator[](TextKey key) const { return text(key); }

    /// The label beside the time-out track bar: the position, one blank and the `Sec` text.
    std::string timeOutLabel(int position) const;

private:
    std::array<std::string, TextKeyCount> m_texts;
};

/// The `Title` text of a language file, for the single-instance check at start-up (empty
/// when the file has none). Fails with "Cannot open file NAME".
std::string readLanguageTitle(const std::string& fileName);

} // namespace marlet
