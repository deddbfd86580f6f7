#include "SettingsPersistence.h"

#include "UnicodeText.h"
#include "base/Error.h"

#include <algorithm>

namespace marlet {

namespace {

// The styles of the sample font can be added by the store, never taken away.
bool isStyle(const SettingField& field) {
    return field.boolean == &Settings::FontBold || field.boolean == &Settings::FontItalic ||
           field.boolean == &Settings::FontUnderline || field.boolean == &Settings::FontStrikeout;
}

// InitStr holds the bytes a DOS printer is sent: they are never converted.
bool isRawBytes(const SettingField& field) {
    return field.text == &Settings::InitStr;
}

void restoreField(const SettingsStore& store, Settings& settings, const SettingField& field) {
    switch (field.kind) {
    case SettingKind::Integer:
        if (auto number = readNumber(store, MarletKey, field.name))
            settings.*field.integer = static_cast<std::int32_t>(*number);
        break;
    case SettingKind::Boolean:
        if (auto number = readNumber(store, MarletKey, field.name)) {
            bool value = *number != 0;
            settings.*field.boolean = isStyle(field) ? settings.*field.boolean || value : value;
        }
        break;
    case SettingKind::Byte:
        if (auto number = readNumber(store, MarletKey, field.name)) {
            if (*number > 255)
                throw Error::rangeCheck();
            settings.*field.byte = static_cast<std::uint8_t>(*number);
        }
        break;
    case SettingKind::Text:
        if (auto text = readString(store, MarletKey, field.name))
            settings.*field.text = isRawBytes(field) ? *text : textFromStore(*text);
        break;
    }
}

StoredValue storedForm(const Settings& settings, const SettingField& field) {
    switch (field.kind) {
    case SettingKind::Integer:
        return static_cast<std::uint32_t>(settings.*field.integer);
    case SettingKind::Boolean:
        return std::uint32_t{settings.*field.boolean ? 1u : 0u};
    case SettingKind::Byte:
        return std::uint32_t{settings.*field.byte};
    case SettingKind::Text:
        break;
    }
    return isRawBytes(field) ? settings.*field.text : textToStore(settings.*field.text);
}

template <typename Wanted>
void saveFields(SettingsStore& store, const Settings& settings, Wanted&& wanted) {
    // A failed write rolls the whole batch back before it is reported.
    store.beginBatch();
    store.createKey(MarletKey);
    for (const SettingField& field : settingFields()) {
        if (wanted(field))
            store.setValue(MarletKey, field.name, storedForm(settings, field));
    }
    store.commit();
}

} // namespace

void restoreStoredSettings(const SettingsStore& store, Settings& settings,
                           const FailureReport& report) {
    if (!store.keyExists(MarletKey))
        return;
    for (const SettingField& field : settingFields()) {
        try {
            restoreField(store, settings, field);
        } catch (const Error& e) {
            report(e.what());
        }
    }
}

void saveStoredSettings(SettingsStore& store, const Settings& settings) {
    saveFields(store, settings, [](const SettingField&) { return true; });
}

void saveStoredSettings(SettingsStore& store, const Settings& settings,
                        const std::vector<std::string>& names) {
    saveFields(store, settings, [&names](const SettingField& field) {
        return std::find(names.begin(), names.end(), field.name) != names.end();
    });
}

std::string textToStore(const std::string& utf8) {
    std::optional<std::u32string> characters = decodeUtf8(utf8);
    if (!characters)
        return utf8;
    std::string bytes;
    for (char32_t character : *characters) {
        std::optional<std::uint8_t> byte = windows1251Byte(character);
        if (!byte)
            return utf8;
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

std::string textFromStore(const std::string& bytes) {
    if (decodeUtf8(bytes))
        return bytes;
    std::u32string characters;
    for (char byte : bytes)
        characters += windows1251Char(static_cast<std::uint8_t>(byte));
    return encodeUtf8(characters);
}

} // namespace marlet
