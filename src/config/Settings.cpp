#include "Settings.h"

#include "base/Error.h"
#include "base/IntegerText.h"

#include <algorithm>
#include <cstdlib>
#include <strings.h>

namespace marlet {

namespace {

SettingField integerField(const char* name, int Settings::*member) {
    return {name, SettingKind::Integer, member, nullptr, nullptr, nullptr};
}
SettingField booleanField(const char* name, bool Settings::*member) {
    return {name, SettingKind::Boolean, nullptr, member, nullptr, nullptr};
}
SettingField byteField(const char* name, std::uint8_t Settings::*member) {
    return {name, SettingKind::Byte, nullptr, nullptr, member, nullptr};
}
SettingField textField(const char* name, std::string Settings::*member) {
    return {name, SettingKind::Text, nullptr, nullptr, nullptr, member};
}

} // namespace

const std::vector<SettingField>& settingFields() {
    static const std::vector<SettingField> fields = {
        integerField("TimeOut", &Settings::TimeOut),
        booleanField("AutoPrint", &Settings::AutoPrint),
        textField("Spool", &Settings::Spool),
        booleanField("Orientation", &Settings::Orientation),
        booleanField("LineWrap", &Settings::LineWrap),
        booleanField("PageFeed", &Settings::PageFeed),
        booleanField("MonoSpace", &Settings::MonoSpace),
        integerField("TopMargin", &Settings::TopMargin),
        integerField("LeftMargin", &Settings::LeftMargin),
        textField("FontName", &Settings::FontName),
        integerField("FontSize", &Settings::FontSize),
        booleanField("FontBold", &Settings::FontBold),
        booleanField("FontItalic", &Settings::FontItalic),
        booleanField("FontUnderline", &Settings::FontUnderline),
        booleanField("FontStrikeout", &Settings::FontStrikeout),
        booleanField("Minimize", &Settings::Minimize),
        booleanField("FormFeed", &Settings::FormFeed),
        byteField("End", &Settings::End),
        textField("Language", &Settings::Language),
        textField("CodePage", &Settings::CodePage),
        booleanField("Capture", &Settings::Capture),
        textField("InitStr", &Settings::InitStr),
        integerField("HistoryJobs", &Settings::HistoryJobs),
        integerField("HistoryMegabytes", &Settings::HistoryMegabytes),
        integerField("PageLimit", &Settings::PageLimit),
    };
    return fields;
}

const SettingField* findSettingField(const std::string& name) {
    const auto& fields = settingFields();
    auto it = std::find_if(fields.begin(), fields.end(), [&](const SettingField& field) {
        return strcasecmp(field.name, name.c_str()) == 0;
    });
    return it == fields.end() ? nullptr : &*it;
}

void assignSetting(Settings& settings, const SettingField& field, const std::string& text) {
    switch (field.kind) {
    case SettingKind::Integer:
        settings.*field.integer = parseInteger(text);
        break;
    case SettingKind::Boolean:
        settings.*field.boolean = parseInteger(text) != 0;
        break;
    case SettingKind::Byte: {
        std::int32_t value = parseInteger(text);
        if (value < 0 || value > 255)
            throw Error::rangeCheck();
        settings.*field.byte = static_cast<std::uint8_t>(value);
        break;
    }
    case SettingKind::Text:
        settings.*field.text = text;
        break;
    }
}

std::string defaultSpoolPath() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state)
        return std::string(state) + "/marlet/prnspl";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/state/marlet/prnspl";
}

} // namespace marlet
