#include "SettingValues.h"

#include "base/Error.h"
#include "base/IntegerText.h"
#include "config/SchemeEntry.h"
#include "config/Settings.h"

#include <algorithm>
#include <optional>
#include <strings.h>

namespace marlet {

namespace {

struct NumberRange {
    const char* name;
    int lowest;
    int highest;
    const char* what;
};

// The numbers the settings window lets a user choose. 1638 points is the largest size the
// Windows font dialog takes; margins have no limit there.
constexpr NumberRange NumberRanges[] = {
    {"TimeOut", 1, 10, "a number of seconds from 1 to 10"},
    {"FontSize", 1, 1638, "a size in points from 1 to 1638"},
    {"End", 0, 255, "a byte from 0 to 255"},
    {"HistoryJobs", 0, 1000000, "a number of jobs from 0 to 1000000"},
    {"HistoryMegabytes", 0, 1000000, "a number of megabytes from 0 to 1000000"},
    {"PageLimit", 0, 1000000, "a number of pages from 0 (no limit) to 1000000"},
};

std::string listed(std::vector<std::string> names) {
    // Code pages read best in numeric order: 437 before 1125.
    std::ranges::sort(names, [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ", ") + name;
    return list.empty() ? "none" : list;
}

bool oneOf(const std::string& value, const std::vector<std::string>& names) {
    return std::ranges::any_of(names, [&](const std::string& name) {
        return strcasecmp(name.c_str(), value.c_str()) == 0;
    });
}

std::optional<int> integer(const std::string& text) {
    try {
        return parseInteger(text);
    } catch (const Error&) {
        return std::nullopt;
    }
}

} // namespace

bool isSequenceSetting(const std::string& name) {
    return strcasecmp(name.c_str(), "Sequence") == 0;
}

bool isRunSetting(const std::string& name) {
    return findSettingField(name) || isSequenceSetting(name);
}

void checkRunSetting(const std::string& name, const std::string& value,
                     const SettingChoices& choices) {
    auto refuse = [&](const std::string& takes) {
        return UsageError("--set " + name + "=" + value + ": " + name + " takes " + takes);
    };
    if (isSequenceSetting(name)) {
        std::vector<std::string> schemes = {DefaultSchemeName, NoSequencesSchemeName};
        schemes.insert(schemes.end(), choices.schemes.begin(), choices.schemes.end());
        if (!oneOf(value, schemes)) {
            std::string list;
            for (const std::string& scheme : schemes)
                list += (list.empty() ? "'" : ", '") + scheme + "'";
            throw refuse("one of the schemes " + list);
        }
        return;
    }
    const SettingField* field = findSettingField(name);
    if (!field)
        throw UsageError("--set: there is no setting named '" + name + "'");
    std::string canonical = field->name;
    if (canonical == "CodePage" && !oneOf(value, choices.codePages))
        throw refuse("one of the code pages there are: " + listed(choices.codePages));
    if (canonical == "Language" && !oneOf(value, choices.languages))
        throw refuse("one of the languages there are: " + listed(choices.languages));
    if (field->kind == SettingKind::Boolean) {
        std::optional<int> number = integer(value);
        if (!number || (*number != 0 && *number != 1))
            throw refuse("0 or 1");
    } else if (field->kind != SettingKind::Text) {
        const NumberRange* range = nullptr;
        for (const NumberRange& known : NumberRanges) {
            if (canonical == known.name)
                range = &known;
        }
        std::optional<int> number = integer(value);
        if (!number)
            throw refuse(range ? range->what : "a whole number");
        if (range && (*number < range->lowest || *number > range->highest))
            throw refuse(range->what);
    }
}

} // namespace marlet
