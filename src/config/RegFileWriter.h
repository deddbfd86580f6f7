#pragma once

#include "SettingsStore.h"

#include <string>

namespace marlet {

/// The two text forms of a registry export.
enum class RegFormat {
    /// "REGEDIT4": one byte per character, as the ANSI programs of Windows 9x wrote it.
    Regedit4,
    /// "Windows Registry Editor Version 5.00": UTF-16LE with a byte order mark.
    Version5,
};

/// Writes a key of the store, its values and every key below it as a .reg file, as the
/// registry editor of a Russian Windows host exports the same key.
///
/// The store's strings are the bytes an ANSI program on that host reads, so in the version
/// 5.00 form each byte becomes its Windows-1251 character, and in the REGEDIT4 form it is
/// written as it stands; ESC and the other control bytes stay raw inside the quotes, as the
/// registry editor leaves them. A string holding CR or LF is written in the hex(1): form
/// instead, so that one value stays on one logical line and reads back exactly. Key and
/// value names are UTF-8 text: UTF-16 in the version 5.00 form, Windows-1251 in REGEDIT4.
/// Lines end in CR LF.
class RegFileWriter {
public:
    explicit RegFileWriter(RegFormat format) : m_format(format) {}

    /// The whole file. Fails with "Key 'KEY' not found", or when a name cannot be written
    /// in this form.
    std::string write(const SettingsStore& store, const std::string& key) const;

private:
    void writeKey(const SettingsStore& store, const std::string& key,
                  const std::vector<std::string>& names, std::u32string& out) const;
    std::u32string nameText(const std::string& name) const;
    std::u32string valueText(const std::string& bytes) const;
    std::u32string hexText(const std::string& bytes, std::size_t column) const;

    RegFormat m_format;
};

} // namespace marlet
