#include "InterfaceTexts.h"

#include <algorithm>
#include <string>

namespace marlet {

namespace {

constexpr std::array<std::string_view, TextKeyCount> KeyNames = {
    "TrayIconHint",
    "Title",
    "TabMain",
    "TabFonts",
    "SpoolParam",
    "TimeOut",
    "Sec",
    "AutoPrint",
    "EOFPrint",
    "Print",
    "PrintFile",
    "Clear",
    "FileName",
    "Preview",
    "NewVersion",
    "Orientation",
    "Portrait",
    "Landscape",
    "TextParam",
    "WordWrap",
    "FormFeed",
    "Minimize",
    "Printer",
    "Select",
    "MonoSpaceOnly",
    "FontStyle",
    "Bold",
    "Italic",
    "Underline",
    "Strikeout",
    "Esc",
    "Size",
    "PageParam",
    "Set1",
    "Set2",
    "Vertical",
    "Horizontal",
    "Lines",
    "Chars",
    "TopMargin",
    "LeftMargin",
    "FontPreview",
    "MonoSpace",
    "Proportional",
    "ExitTitle",
    "ExitLine1",
    "ExitLine2",
    "MenuOpen",
    "MenuCancel",
    "MenuExit",
    "Add",
    "Codes",
    "Apply",
    "Cancel",
    "Close",
    "Capture",
    "Initialize",
    "Yes",
    "No",
    "Ok",
    "PdfWritten",
    "SchemeNameEmpty",
    "SchemeNameTaken",
    "Delete",
    "Rename",
    "SchemeBuiltIn",
    "DeleteScheme",
    "Locale",
    "About",
    "Version",
    "Jobs",
    "JobNumber",
    "JobTime",
    "JobState",
    "JobPages",
    "JobWhere",
    "JobPrinting",
    "JobWaiting",
    "JobPrinted",
    "JobCancelled",
    "JobFailed",
    "JobPage",
    "JobPrintAgain",
    "JobSavePdf",
    "JobOpenPdf",
    "JobPdfFolder",
    "JobBytes",
    "JobDelete",
    "JobStop",
    "JobPreparing",
    "JobPreviewFailed",
    "PageLimitQuestion",
};

constexpr std::array<TextKey, TextKeyCount> makeKeys() {
    std::array<TextKey, TextKeyCount> keys{};
    for (std::size_t i = 0; i < TextKeyCount; ++i)
        keys[i] = static_cast<TextKey>(i);
    return keys;
}

constexpr std::array<TextKey, TextKeyCount> Keys = makeKeys();

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

const std::array<TextKey, TextKeyCount>& InterfaceTexts::keys() {
    return Keys;
}

std::string_view InterfaceTexts::keyName(TextKey key) {
    return KeyNames[static_cast<std::size_t>(key)];
}

std::optional<TextKey> InterfaceTexts::findKey(std::string_view name) {
    for (TextKey key : Keys)
        if (equalIgnoringCase(keyName(key), name))
            return key;
    return std::nullopt;
}

void InterfaceTexts::load(const std::string& fileName) {
    apply(LanguageFile::load(fileName));
}

void InterfaceTexts::apply(const LanguageFile& file) {
    for (TextKey key : Keys)
        m_texts[static_cast<std::size_t>(key)] = file.text(keyName(key));
}

std::string InterfaceTexts::timeOutLabel(int position) const {
    return std::to_string(position) + " " + text(TextKey::Sec);
}

std::string readLanguageTitle(const std::string& fileName) {
    return LanguageFile::load(fileName).text(InterfaceTexts::keyName(TextKey::Title));
}

} // namespace marlet
