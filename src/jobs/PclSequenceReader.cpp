#include "PclSequenceReader.h"

#include "languages/pcl/PclCommandTable.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace marlet {

namespace {

// The first bytes of a long piece name it; the rest stand in the hex beside it.
constexpr std::size_t NamedBytes = 8;

} // namespace

DumpPiece PclSequenceReader::piece(std::size_t from, std::string meaning) const {
    DumpPiece piece;
    piece.offset = from;
    piece.length = position() - from;
    piece.mark = bytesName(m_bytes.substr(from, std::min(piece.length, NamedBytes))) +
                 (piece.length > NamedBytes ? " …" : "");
    piece.meaning = std::move(meaning);
    return piece;
}

std::vector<DumpPiece> PclSequenceReader::escape(std::size_t offset) {
    // The PCL layer is handed the escape once it has been read.
    m_input.take(offset + 1 - position());
    std::vector<DumpPiece> pieces;
    if (!m_tokenizer.begin()) {
        pieces.push_back(piece(offset, "PCL: a lone ESC, dropped"));
        return pieces;
    }
    std::uint64_t binary = 0;
    std::uint64_t transparent = 0;
    PclCommand command;
    PclAfter after = PclAfter::Nothing;
    while (after != PclAfter::JobLanguage && after != PclAfter::PlotterBlock &&
           m_tokenizer.next(command)) {
        const PclCommandEntry* entry = PclCommandTable::find(command);
        const PclData data = PclCommandTable::dataOf(entry, command);
        if (data != PclData::None) {
            const std::size_t start = position();
            m_tokenizer.data(static_cast<std::uint64_t>(std::max(0.0L, command.value)), 0);
            (data == PclData::Transparent ? transparent : binary) += position() - start;
        }
        after = PclCommandTable::after(entry, command);
        if (after == PclAfter::DisplayFunctions)
            m_displayFunctions = true;
    }
    std::string meaning = "PCL command";
    if (binary > 0)
        meaning += ", " + std::to_string(binary) + " bytes of data";
    if (transparent > 0)
        meaning += ", " + std::to_string(transparent) + " bytes printed as characters";
    if (m_displayFunctions)
        meaning += ": display functions, every byte prints until ESC Z";
    pieces.push_back(piece(offset, meaning));
    if (after == PclAfter::JobLanguage || after == PclAfter::PlotterBlock)
        skip(after == PclAfter::JobLanguage, pieces);
    return pieces;
}

void PclSequenceReader::skip(bool jobLanguage, std::vector<DumpPiece>& pieces) {
    const std::size_t start = position();
    if (jobLanguage)
        m_tokenizer.skipJobLanguage();
    else
        m_tokenizer.skipPlotterBlock();
    if (position() == start)
        return;
    DumpPiece skipped = piece(start, jobLanguage ? "PJL lines after a Universal Exit Language"
                                                 : "HP-GL/2 block, up to the escape that ends it");
    skipped.mark = jobLanguage ? "PJL" : "HP-GL/2";
    pieces.push_back(std::move(skipped));
}

} // namespace marlet
