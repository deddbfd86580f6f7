#pragma once

#include "DumpPiece.h"
#include "charset/CodePageTable.h"
#include "config/ActiveScheme.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace marlet {

class SchemeMatcher;

/// A job's bytes as hex and text side by side, each escape sequence and control code
/// marked with what the interpreter makes of it under a scheme: one of the scheme's
/// entries, a line of the drop list, a command of the scheme's printer language, a
/// control code, or printed text. Read by the same matcher, tokenizer and command tables
/// the job driver uses, in the same order.
class JobDump {
public:
    /// Reads the job as the interpreter would under scheme, with the drop list and the code
    /// page table; all three must outlive the dump.
    JobDump(const ActiveScheme& scheme, const std::vector<std::string>& dropList,
            const CodePageTable& table)
        : m_scheme(scheme), m_dropList(dropList), m_table(table) {}

    /// The job cut into the pieces the interpreter takes, in order.
    std::vector<DumpPiece> pieces(std::string_view bytes) const;
    /// Writes a header naming the scheme, then each piece as "OFFSET  HEX  TEXT  MEANING",
    /// sixteen bytes a line; a long picture shows its first two lines and its size. An
    /// initialisation string is read first, as the job driver sends it ahead of the job,
    /// its offsets marked "init".
    void write(std::ostream& out, std::string_view bytes, std::string_view initString = {}) const;

private:
    void read(std::string_view bytes, const std::function<void(DumpPiece&)>& take) const;
    bool schemeSequence(const SchemeMatcher& matcher, std::string_view rest,
                        DumpPiece& piece) const;
    std::size_t escape(std::string_view rest, DumpPiece& piece, std::uint8_t& country) const;
    std::size_t defaultSet(std::string_view rest, DumpPiece& piece) const;
    std::size_t control(std::uint8_t byte, DumpPiece& piece) const;
    std::size_t textRun(const SchemeMatcher& matcher, std::string_view rest, bool pcl,
                        std::uint8_t country, DumpPiece& piece) const;
    bool plainText(const SchemeMatcher& matcher, std::string_view rest, bool pcl) const;
    std::string text(std::string_view bytes, std::uint8_t country) const;

    const ActiveScheme& m_scheme;
    const std::vector<std::string>& m_dropList;
    const CodePageTable& m_table;
};

} // namespace marlet
