#include "SchemeMatcher.h"

namespace marlet {

namespace {

// The entries checked before the pitch and LPI templates, in their order; the drop list
// follows them.
constexpr SchemeEntry BeforeTemplates[] = {SchemeEntry::Bold,      SchemeEntry::NoBold,
                                           SchemeEntry::Italic,    SchemeEntry::NoItalic,
                                           SchemeEntry::Underline, SchemeEntry::NoUnderline,
                                           SchemeEntry::Strikeout, SchemeEntry::NoStrikeout,
                                           SchemeEntry::Double,    SchemeEntry::NoDouble};

// The entries checked after the templates, in their order.
constexpr SchemeEntry AfterTemplates[] = {SchemeEntry::Condenced, SchemeEntry::NoCondenced,
                                          SchemeEntry::Pica,      SchemeEntry::Elit,
                                          SchemeEntry::CondPica,  SchemeEntry::CondElit,
                                          SchemeEntry::Portrait,  SchemeEntry::Landscape};

constexpr std::uint32_t NoSecondByte = 256;

std::uint32_t pairKey(std::uint8_t first, std::uint32_t second) {
    return first * 257u + second;
}

} // namespace

SchemeMatcher::SchemeMatcher(const ActiveScheme& scheme, const std::vector<std::string>& dropList)
    : m_matching(scheme.name() != NoSequencesSchemeName),
      m_templates{Template{&scheme.pitchPattern(), &scheme.pitchPrefix(), SchemeEntry::Pitch},
                  Template{&scheme.lpiPattern(), &scheme.lpiPrefix(), SchemeEntry::LPI}} {
    for (SchemeEntry entry : schemeEntries())
        lead(scheme.entry(entry));
    for (SchemeEntry entry : BeforeTemplates)
        add(scheme.entry(entry), true, entry, false);
    for (const std::string& line : dropList) {
        lead(line);
        // Matching is tried at every byte of a drop line, though only its first can begin it.
        for (char byte : line)
            m_leadBytes[static_cast<std::uint8_t>(byte)] = true;
        add(line, true, SchemeEntry::Bold, true);
    }
    for (SchemeEntry entry : AfterTemplates)
        add(scheme.entry(entry), false, entry, false);

    for (const std::string* derived : {&scheme.pitchPattern(), &scheme.pitchPrefix(),
                                       &scheme.lpiPattern(), &scheme.lpiPrefix()}) {
        lead(*derived);
        // A template's first byte is compared with the window's byte made "0" for digits.
        for (int byte = 0; byte < 256 && !derived->empty(); ++byte) {
            if (templateByte(static_cast<char>(byte)) == (*derived)[0])
                m_canBegin[static_cast<std::size_t>(byte)] = true;
        }
    }
}

void SchemeMatcher::lead(const std::string& sequence) {
    if (sequence.empty())
        return;
    m_leadBytes[static_cast<std::uint8_t>(sequence[0])] = true;
    m_canBegin[static_cast<std::uint8_t>(sequence[0])] = true;
}

void SchemeMatcher::add(const std::string& sequence, bool beforeTemplates, SchemeEntry entry,
                        bool dropLine) {
    if (sequence.empty())
        return;
    const auto first = static_cast<std::uint8_t>(sequence[0]);
    auto addUnder = [&](std::uint32_t second) {
        Candidates& candidates = m_candidates[pairKey(first, second)];
        (beforeTemplates ? candidates.beforeTemplates : candidates.afterTemplates)
            .push_back({&sequence, entry, dropLine});
    };
    if (sequence.size() > 1) {
        addUnder(static_cast<std::uint8_t>(sequence[1]));
        return;
    }
    // One byte matches whatever follows it, and also at the end of the data.
    for (std::uint32_t second = 0; second <= NoSecondByte; ++second)
        addUnder(second);
}

std::uint32_t SchemeMatcher::keyOf(std::string_view window) {
    return pairKey(static_cast<std::uint8_t>(window[0]),
                   window.size() > 1 ? static_cast<std::uint8_t>(window[1]) : NoSecondByte);
}

// Entries are a few bytes and most differ from the window in their first or second:
// compared here, not through a library call.
bool SchemeMatcher::startsWith(std::string_view window, const std::string& sequence) {
    if (sequence.empty() || window.size() < sequence.size())
        return false;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (sequence[i] != window[i])
            return false;
    }
    return true;
}

bool SchemeMatcher::matchesTemplate(std::string_view window, const std::string& pattern) {
    if (pattern.empty() || window.size() < pattern.size())
        return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (templateByte(window[i]) != pattern[i])
            return false;
    }
    return true;
}

} // namespace marlet
