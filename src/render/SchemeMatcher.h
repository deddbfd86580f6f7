#pragma once

#include "config/ActiveScheme.h"
#include "config/SchemeEntry.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace marlet {

/// A byte as a pitch or LPI template compares it: dots, slashes and digits all read as "0",
/// so a template's placeholders match any digit.
inline char templateByte(char byte) {
    return byte >= 0x2E && byte <= 0x39 ? '0' : byte;
}

/// Finds which of a scheme's sequences and drop lines match where a job's byte stands, in
/// the order the escape interpreter checks them: the style and double-width entries and the
/// drop list, the pitch and LPI templates, then the pitch, condensed and orientation
/// entries. Sequences may begin with any byte, not only with an escape.
class SchemeMatcher {
public:
    /// How far past the byte a sequence may reach: a longer one never matches.
    static constexpr std::size_t LookAhead = 30;

    /// One sequence that matches: a scheme entry (Pitch and LPI by their templates, with
    /// the template or its prefix as sequence) or a line of the drop list.
    struct Match {
        const std::string* sequence;
        SchemeEntry entry; // not read for a drop line
        bool dropLine;
    };

    /// Reads the scheme's entries and the drop list; both must outlive the matcher.
    SchemeMatcher(const ActiveScheme& scheme, const std::vector<std::string>& dropList);

    /// Whether matching is tried at this byte.
    bool startsSequence(std::uint8_t byte) const { return m_matching && m_leadBytes[byte]; }
    /// Whether some sequence can begin with this byte: an attempt elsewhere finds nothing.
    bool canBegin(std::uint8_t byte) const { return m_canBegin[byte]; }

    /// Calls found with every sequence that matches at the start of window (the byte and
    /// up to LookAhead after it), in the order they are checked. Returns the bytes the last
    /// one found takes, 0 when none matches.
    template <typename Found>
    std::size_t match(std::string_view window, Found&& found) const {
        if (window.empty() || !m_canBegin[static_cast<std::uint8_t>(window[0])])
            return 0;
        std::size_t length = 0;
        const std::vector<Match>* lists[2] = {nullptr, nullptr};
        if (const auto at = m_candidates.find(keyOf(window)); at != m_candidates.end()) {
            lists[0] = &at->second.beforeTemplates;
            lists[1] = &at->second.afterTemplates;
        }
        auto check = [&](const std::vector<Match>* list) {
            if (!list)
                return;
            for (const Match& candidate : *list) {
                if (!startsWith(window, *candidate.sequence))
                    continue;
                length = candidate.sequence->size();
                found(candidate);
            }
        };
        check(lists[0]);
        // A prefix only counts where its full template did not match: otherwise the digits
        // of a matched ESC "P12" would print as text after it.
        for (const Template& form : m_templates) {
            const std::string* used = matchesTemplate(window, *form.pattern)  ? form.pattern
                                      : matchesTemplate(window, *form.prefix) ? form.prefix
                                                                              : nullptr;
            if (!used)
                continue;
            length = used->size();
            found(Match{used, form.entry, false});
        }
        check(lists[1]);
        return length;
    }

private:
    struct Candidates {
        std::vector<Match> beforeTemplates;
        std::vector<Match> afterTemplates;
    };
    struct Template {
        const std::string* pattern;
        const std::string* prefix;
        SchemeEntry entry;
    };

    static std::uint32_t keyOf(std::string_view window);
    static bool startsWith(std::string_view window, const std::string& sequence);
    static bool matchesTemplate(std::string_view window, const std::string& pattern);
    void lead(const std::string& sequence);
    void add(const std::string& sequence, bool beforeTemplates, SchemeEntry entry, bool dropLine);

    bool m_matching = false;
    std::array<bool, 256> m_leadBytes{};
    // Bytes that some sequence can begin with; matching elsewhere finds nothing.
    std::array<bool, 256> m_canBegin{};
    // By the first byte times 257 and the second, or 256 where the data ends after one.
    std::unordered_map<std::uint32_t, Candidates> m_candidates;
    std::array<Template, 2> m_templates;
};

} // namespace marlet
