#pragma once

#include "DumpPiece.h"
#include "languages/pcl/PclTokenizer.h"
#include "render/JobInput.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace marlet {

/// Cuts the escape sequences of a PCL job as the PCL layer does, through its own tokenizer
/// and command table: each sequence with the data its commands carry, the PJL lines after
/// a Universal Exit Language and an HP-GL/2 block each as a piece of their own. Escapes are
/// read in the order they stand in the job.
class PclSequenceReader {
public:
    /// Reads the job's bytes through a copy of its own; bytes names the pieces and must
    /// outlive the reader.
    explicit PclSequenceReader(std::string_view bytes)
        : m_bytes(bytes), m_input(bytes), m_tokenizer(m_input) {}

    /// The pieces the PCL layer takes from the escape at offset, which lies past the
    /// pieces read before it.
    std::vector<DumpPiece> escape(std::size_t offset);
    /// Whether display functions are on: every byte prints, escapes too, until ESC Z.
    bool displayFunctions() const { return m_displayFunctions; }
    /// Display functions end, at the Z after a printed escape.
    void endDisplayFunctions() { m_displayFunctions = false; }

private:
    std::size_t position() const { return m_input.fileSize() - m_input.fileRemaining(); }
    void skip(bool jobLanguage, std::vector<DumpPiece>& pieces);
    DumpPiece piece(std::size_t from, std::string meaning) const;

    std::string_view m_bytes;
    JobInput m_input;
    PclTokenizer m_tokenizer;
    bool m_displayFunctions = false;
};

} // namespace marlet
