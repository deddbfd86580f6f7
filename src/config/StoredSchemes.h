#pragma once

#include "config/SettingsStore.h"

#include <string>

namespace marlet {

/// The key of a stored scheme: the Sequences key's subkey of that name.
std::string storedSchemeKey(const std::string& name);

/// Removes a stored scheme with all its values, in one batch. When "Sequence" names it,
/// "Default" becomes the active scheme, so that no job looks for a scheme that is gone.
void deleteStoredScheme(SettingsStore& store, const std::string& name);

/// Gives a stored scheme another name, in one batch: its values (and any subkeys) move to
/// the new key, and "Sequence" follows when it named the scheme. A new name that differs
/// only in case renames the key itself.
void renameStoredScheme(SettingsStore& store, const std::string& from, const std::string& to);

} // namespace marlet
