#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marlet {

/// The default queue file: $XDG_STATE_HOME/marlet/prnspl, or ~/.local/state/marlet/prnspl.
std::string defaultSpoolPath();

/// The user's settings, with the defaults that hold when nothing is stored. The desktop
/// app's controls show and edit this model; the command line and the resident mode use it
/// without any window.
struct Settings {
    int TimeOut = 3;
    bool AutoPrint = true;
    std::string Spool = defaultSpoolPath();
    bool Orientation = false;
    bool LineWrap = true;
    bool PageFeed = true;
    bool MonoSpace = false;
    int TopMargin = 0;
    int LeftMargin = 0;
    std::string FontName = "Courier New";
    int FontSize = 10;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;
    bool FontStrikeout = false;
    bool Minimize = true;
    bool FormFeed = false;
    std::uint8_t End = 0;
    std::string Language = "Русский";
    std::string CodePage = "866";
    bool Capture = true;
    std::string InitStr;
    int HistoryJobs = 200;      // jobs the history keeps; 0 keeps none
    int HistoryMegabytes = 100; // the most their bytes and records take on disk
    int PageLimit = 0;          // pages a job may print before it is stopped; 0 sets none
};

enum class SettingKind { Integer, Boolean, Byte, Text };

/// One stored value: its name, its kind and where it lives in the model.
struct SettingField {
    const char* name;
    SettingKind kind;
    int Settings::*integer = nullptr;
    bool Settings::*boolean = nullptr;
    std::uint8_t Settings::*byte = nullptr;
    std::string Settings::*text = nullptr;
};

/// Every value, in the order in which they are read and written.
const std::vector<SettingField>& settingFields();

/// The field of that name (matched without regard to case), or nullptr.
const SettingField* findSettingField(const std::string& name);

/// Sets a value from its text form: a number for the number kinds (0 or 1 for switches),
/// the text itself otherwise. Fails with the integer message or "Range check error".
void assignSetting(Settings& settings, const SettingField& field, const std::string& text);

} // namespace marlet
