#include "ActiveScheme.h"

#include <algorithm>
#include <iterator>

namespace marlet {

namespace {

// A registry string is read into a 255-byte buffer before the entry takes its share.
constexpr std::size_t MaxStoredRead = 255;

// Derives the match pattern and prefix when the entry has digit places; an entry without
// any leaves the previous pair in force.
void deriveParameterForm(const std::string& entry, std::string& pattern, std::string& prefix) {
    if (entry.find('_') == std::string::npos)
        return;
    pattern = entry;
    std::ranges::replace(pattern, '_', '0');
    prefix.clear();
    std::ranges::copy_if(entry, std::back_inserter(prefix), [](char c) { return c != '_'; });
}

} // namespace

void ActiveScheme::readSchemeNames(const SettingsStore& store) {
    m_storedSchemes =
        store.keyExists(SequencesKey) ? store.subkeys(SequencesKey) : std::vector<std::string>{};
}

void ActiveScheme::LoadSequences(const SettingsStore& store) {
    readSchemeNames(store);
    if (m_runChoice)
        m_name = *m_runChoice;
    else if (std::optional<std::string> name = readString(store, MarletKey, "Sequence"))
        m_name = *name;

    const std::string schemeKey = std::string(SequencesKey) + "\\" + m_name;
    // An empty name would open the Sequences key itself; no scheme is stored under it.
    if (m_name.empty() || !store.keyExists(schemeKey)) {
        // "Default", "No sequences" or a deleted scheme: a stored scheme's sequences must
        // not keep acting under another way of reading escapes.
        clearSequences();
        return;
    }
    for (SchemeEntry which : schemeEntries()) {
        std::optional<std::string> value =
            readString(store, schemeKey, std::string(schemeEntryName(which)));
        if (value)
            m_entries[static_cast<std::size_t>(which)] =
                value->substr(0, MaxStoredRead).substr(0, MaxSequenceLength);
    }
    std::optional<std::string> language = readString(store, schemeKey, LanguageValueName);
    m_language = language ? printerLanguageNamed(*language) : PrinterLanguage::None;
    deriveParameterForm(entry(SchemeEntry::Pitch), m_pitchPattern, m_pitchPrefix);
    deriveParameterForm(entry(SchemeEntry::LPI), m_lpiPattern, m_lpiPrefix);
}

void ActiveScheme::clearSequences() {
    for (std::string& sequence : m_entries)
        sequence.clear();
    m_pitchPattern.clear();
    m_pitchPrefix.clear();
    m_lpiPattern.clear();
    m_lpiPrefix.clear();
    m_language = PrinterLanguage::None;
}

} // namespace marlet
