#pragma once

#include "config/PrinterLanguage.h"
#include "config/SchemeEntry.h"
#include "config/SettingsStore.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace marlet {

/// The key whose subkeys are the stored schemes, each named after its scheme.
inline constexpr const char* SequencesKey = "\\SOFTWARE\\Tuvo\\Marlet\\Sequences";

/// The escape-sequence scheme in force: its name, its twenty byte strings and the match
/// pattern and prefix derived from the `Pitch` and `LPI` entries, whose "_" stand for the
/// digits of the parameter. The interpreter reads it; every job refreshes it.
class ActiveScheme {
public:
    /// Longest byte string an entry keeps; only that much of a stored sequence is matched.
    static constexpr std::size_t MaxSequenceLength = 30;

    /// Refreshes the scheme from the store: the stored scheme names, the active name from
    /// "Sequence", then that scheme's entries. Without a stored key for the active name
    /// every entry and derived string is emptied and no language is on. A value that is not a
    /// string fails with "Invalid data type for 'NAME'"; what was read before it stays.
    void LoadSequences(const SettingsStore& store);
    /// Replaces the list of stored scheme names with the subkeys of the Sequences key.
    void readSchemeNames(const SettingsStore& store);
    /// A scheme chosen for this run ("--set Sequence=NAME"): it wins over the stored
    /// "Sequence" at every refresh.
    void chooseForRun(std::string name) { m_runChoice = std::move(name); }

    /// The active scheme's name; "Default" until the store names another.
    const std::string& name() const { return m_name; }
    /// The byte string of one entry; empty when the scheme has none.
    const std::string& entry(SchemeEntry which) const {
        return m_entries[static_cast<std::size_t>(which)];
    }
    /// The `Pitch` entry with every "_" made "0": what the interpreter matches.
    const std::string& pitchPattern() const { return m_pitchPattern; }
    /// The `Pitch` entry without its "_": the bytes before the digits are read.
    const std::string& pitchPrefix() const { return m_pitchPrefix; }
    /// The `LPI` entry with every "_" made "0".
    const std::string& lpiPattern() const { return m_lpiPattern; }
    /// The `LPI` entry without its "_".
    const std::string& lpiPrefix() const { return m_lpiPrefix; }
    /// The printer language the scheme's "Language" value switches on; None without one.
    PrinterLanguage language() const { return m_language; }
    /// The stored schemes' names, in the order the store lists them.
    const std::vector<std::string>& storedSchemes() const { return m_storedSchemes; }

private:
    void clearSequences();

    std::string m_name = DefaultSchemeName;
    std::optional<std::string> m_runChoice;
    std::array<std::string, SchemeEntryCount> m_entries;
    std::string m_pitchPattern;
    std::string m_pitchPrefix;
    std::string m_lpiPattern;
    std::string m_lpiPrefix;
    PrinterLanguage m_language = PrinterLanguage::None;
    std::vector<std::string> m_storedSchemes;
};

} // namespace marlet
