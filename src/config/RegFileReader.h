#pragma once

#include "SettingsStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace marlet {

/// One change a .reg file asks for.
struct RegChange {
    enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
    Kind kind;
    /// Absolute store path: "[HKEY_LOCAL_MACHINE\SOFTWARE\Tuvo]" gives "\SOFTWARE\Tuvo".
    std::string key;
    std::string name;
    StoredValue value;

    bool operator==(const RegChange&) const = default;
};

/// Reads a .reg file in either form that the registry editor writes.
///
/// A file starting with a UTF-16LE byte order mark (the "Windows Registry Editor Version
/// 5.00" form) or holding UTF-8 text under the version 5.00 header is Unicode text: each
/// character of a string value becomes its Windows-1251 byte, which gives back the bytes an
/// ANSI program of the Russian Windows host stored (ESC is U+001B and comes back as byte
/// 27; the code page's one undefined byte 0x98 travels as U+0098). Any other file (REGEDIT4)
/// is single-byte: string values are taken byte for byte. Names become UTF-8 text
/// (REGEDIT4 names are read as Windows-1251). Control bytes inside quotes are taken raw,
/// line breaks included; only `\\` and `\"` are escapes.
///
/// Accepted: `[HKEY_LOCAL_MACHINE\...]` (or HKLM), `[-KEY]`, `"Name"=` or `@=` followed by
/// a quoted string, `dword:`, `hex:` (bytes kept as a string), `hex(1):` (REG_SZ: UTF-16LE
/// under Unicode, single bytes in REGEDIT4; the text ends at its first zero, as an ANSI
/// program reads it), `hex(4):` (a little-endian number) or `-` (deletion); hex lists may
/// go on over lines ending in `\`; `;` comment lines.
class RegFileReader {
public:
    /// Every change of the file, in file order; fileName names it in messages. Fails with
    /// "Malformed line N in FILE", "Unsupported value type on line N in FILE", "Unsupported
    /// key on line N in FILE" or "Character U+XXXX on line N in FILE has no Windows-1251
    /// byte".
    static std::vector<RegChange> parse(std::string_view bytes, const std::string& fileName);

    /// Makes the changes in one batch: all of them or, when a write fails, none.
    static void apply(SettingsStore& store, const std::vector<RegChange>& changes);

    /// Reads the whole file first and only then writes it, so that a file refused for any
    /// line leaves the store untouched.
    static void import(SettingsStore& store, std::string_view bytes, const std::string& fileName);
};

} // namespace marlet
