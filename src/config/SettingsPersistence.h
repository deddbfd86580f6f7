#pragma once

#include "Settings.h"
#include "SettingsStore.h"

#include <functional>
#include <string>
#include <vector>

namespace marlet {

/// Reports a failure to the user and lets the caller go on.
using FailureReport = std::function<void(const std::string& message)>;

/// Reads every stored value of the application's key over the settings, in table order.
/// Absent values keep what the settings hold; the style switches only ever add their
/// style; a value that fails is reported and the remaining ones are still read.
void restoreStoredSettings(const SettingsStore& store, Settings& settings,
                           const FailureReport& report);

/// Writes every value, in table order, as one batch: a crash leaves the old values or
/// the new ones, never a mixture.
void saveStoredSettings(SettingsStore& store, const Settings& settings);

/// Writes the named values only ("FontSize"), in table order, as one batch; the others keep
/// what the store holds, whoever wrote it.
void saveStoredSettings(SettingsStore& store, const Settings& settings,
                        const std::vector<std::string>& names);

/// Text as the store keeps it: Windows-1251 bytes, as on a Russian Windows host, when every
/// character has one; UTF-8 otherwise.
std::string textToStore(const std::string& utf8);

/// Stored text back as UTF-8: bytes that are valid UTF-8 stand, others are Windows-1251.
std::string textFromStore(const std::string& bytes);

} // namespace marlet
