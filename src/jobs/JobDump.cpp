#include "JobDump.h"

#include "PclSequenceReader.h"
#include "config/PrinterLanguage.h"
#include "config/SchemeEntry.h"
#include "languages/escp/EscPCommandTable.h"
#include "languages/escp/EscPCountries.h"
#include "render/ControlBytes.h"
#include "render/SchemeMatcher.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

namespace marlet {

namespace {

bool dotMatrix(PrinterLanguage language) {
    return language == PrinterLanguage::EscP || language == PrinterLanguage::EscP2 ||
           language == PrinterLanguage::Proprinter;
}

// The codes the job itself obeys after the code page, whatever the language.
bool movesPen(std::uint16_t code) {
    return code == Backspace || code == LineFeed || code == FormFeed || code == CarriageReturn;
}

const char* penMove(std::uint16_t code) {
    switch (code) {
    case Backspace:
        return "backspace";
    case LineFeed:
        return "line feed";
    case FormFeed:
        return "form feed, a new page";
    default:
        return "carriage return";
    }
}

void appendUtf8(std::string& out, char16_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::vector<DumpPiece> JobDump::pieces(std::string_view bytes) const {
    std::vector<DumpPiece> pieces;
    read(bytes, [&pieces](DumpPiece& piece) { pieces.push_back(std::move(piece)); });
    return pieces;
}

// In the order the job driver tries them: the scheme's entries and drop list at any byte,
// then the printer language, then the job's own control codes and the built-in set.
void JobDump::read(std::string_view bytes, const std::function<void(DumpPiece&)>& take) const {
    const SchemeMatcher matcher(m_scheme, m_dropList);
    const PrinterLanguage language = m_scheme.language();
    const bool pcl = language == PrinterLanguage::Pcl;
    std::optional<PclSequenceReader> sequences;
    if (pcl)
        sequences.emplace(bytes);
    // Under display functions: the byte before was an escape, printed.
    bool escapeShown = false;
    // The national characters a dot-matrix printer prints for twelve ASCII codes (ESC R).
    std::uint8_t country = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        DumpPiece piece;
        piece.offset = at;
        const std::string_view rest = bytes.substr(at);
        const auto byte = static_cast<std::uint8_t>(rest[0]);
        const std::uint16_t code = m_table.code(byte);
        if (schemeSequence(matcher, rest, piece)) {
            // Taken whole before the language or the job sees its first byte.
        } else if (pcl && sequences->displayFunctions()) {
            piece.length = 1;
            piece.mark = byteName(byte);
            piece.meaning = "printed: display functions are on";
            if (escapeShown && byte == 'Z') {
                sequences->endDisplayFunctions();
                piece.meaning = "printed: display functions end";
            }
            escapeShown = byte == Escape;
        } else if (pcl && byte == Escape) {
            for (DumpPiece& sequence : sequences->escape(at)) {
                at += sequence.length;
                take(sequence);
            }
            continue;
        } else if ((byte == Escape && dotMatrix(language)) || (!pcl && code == Escape)) {
            piece.length = escape(rest, piece, country);
        } else if (byte < 0x20 || (!pcl && (movesPen(code) || code == 0)) ||
                   (byte == 0x7F && dotMatrix(language))) {
            piece.length = control(byte, piece);
        } else {
            piece.length = textRun(matcher, rest, pcl, country, piece);
        }
        at += piece.length;
        take(piece);
    }
}

// Every entry that matches acts; the last one checked says how many bytes it takes.
bool JobDump::schemeSequence(const SchemeMatcher& matcher, std::string_view rest,
                             DumpPiece& piece) const {
    const auto byte = static_cast<std::uint8_t>(rest[0]);
    if (!matcher.startsSequence(byte))
        return false;
    std::string meaning;
    const std::size_t length = matcher.match(
        rest.substr(0, SchemeMatcher::LookAhead + 1), [&](const SchemeMatcher::Match& match) {
            meaning += meaning.empty() ? "" : ", ";
            meaning += match.dropLine ? "dropped: a line of the drop list"
                                      : "scheme entry " + std::string(schemeEntryName(match.entry));
        });
    if (length == 0)
        return false;
    // Outside PCL the job still obeys the byte that begins the sequence as a control code.
    const std::uint16_t code = m_table.code(byte);
    if (m_scheme.language() != PrinterLanguage::Pcl && movesPen(code))
        meaning += std::string("; its first byte also acts: ") + penMove(code);
    piece.length = length;
    piece.mark = bytesName(rest.substr(0, length));
    piece.meaning = meaning;
    return true;
}

// A dot-matrix language takes the commands of its table; an escape left over does the
// built-in set's command under "Default" and nothing otherwise.
std::size_t JobDump::escape(std::string_view rest, DumpPiece& piece, std::uint8_t& country) const {
    const PrinterLanguage language = m_scheme.language();
    if (dotMatrix(language) && static_cast<std::uint8_t>(rest[0]) == Escape) {
        std::string_view after = rest.substr(1);
        if (const EscPCommand* command = findEscPCommand(language, after)) {
            std::optional<std::size_t> length = escPCommandLength(
                *command, language, [after](std::size_t n) { return after.substr(0, n); });
            // A command the job ends inside takes all that is left.
            const std::size_t taken = 1 + length.value_or(after.size());
            if (length && command->action == EscPAction::Reset)
                country = 0;
            const std::uint8_t chosen = parameterByte(after, command->name.size());
            if (length && command->action == EscPAction::International && isCountry(chosen))
                country = chosen;
            piece.mark = "ESC " + bytesName(command->name);
            piece.meaning =
                std::string(printerLanguageName(language)) + " command ESC " +
                bytesName(command->name) +
                (command->action == EscPAction::Ignore ? ": taken, no effect" : "") +
                (length                                  ? ""
                 : command->action == EscPAction::Ignore ? ", cut short by the end of the job"
                                                         : ": cut short by the end of the job");
            return taken;
        }
    }
    piece.mark = "ESC";
    if (m_scheme.name() == DefaultSchemeName)
        return defaultSet(rest, piece);
    piece.meaning = m_scheme.name() == NoSequencesSchemeName
                        ? "dropped: no sequences are recognised; what follows prints"
                    : language == PrinterLanguage::None
                        ? "dropped: no sequence of the scheme; takes no cell"
                        : "dropped: no sequence of the scheme or its language; takes no cell";
    return 1;
}

// The built-in set: ESC takes the byte after it; S, A, P and L then two digits, O one side.
std::size_t JobDump::defaultSet(std::string_view rest, DumpPiece& piece) const {
    if (rest.size() == 1) {
        piece.meaning = "built-in set: cut short by the end of the job";
        return 1;
    }
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[1])));
    std::size_t length = 2;
    std::string meaning = "built-in sequence";
    if (std::string_view("BIU").find(letter) != std::string_view::npos)
        meaning += std::string(": ") +
                   (std::isupper(static_cast<unsigned char>(rest[1])) ? "" : "no ") +
                   (letter == 'B'   ? "bold"
                    : letter == 'I' ? "italic"
                                    : "underline");
    else if (std::string_view("SAPL").find(letter) != std::string_view::npos)
        length = 4;
    else if (letter == 'O')
        length = 3;
    else
        meaning = "built-in set: an unknown command, taken with its letter";
    length = std::min(length, rest.size());
    piece.mark = bytesName(rest.substr(0, length));
    piece.meaning = meaning;
    return length;
}

// A printer language obeys its control codes by the byte; without one the job obeys the
// code the code page gives it, and any other control byte takes a blank cell.
std::size_t JobDump::control(std::uint8_t byte, DumpPiece& piece) const {
    piece.mark = byteName(byte);
    const PrinterLanguage language = m_scheme.language();
    const bool byLanguage =
        language != PrinterLanguage::None && (byte < 0x20 || (byte == 0x7F && dotMatrix(language)));
    const std::uint16_t code = byLanguage ? byte : m_table.code(byte);
    if (movesPen(code))
        piece.meaning = std::string("control code: ") + penMove(code);
    else if (byLanguage)
        piece.meaning =
            byte == Tab || byte == ShiftOut || byte == ShiftIn ||
                    (dotMatrix(language) && (byte == VerticalTab || byte == DeviceControl2 ||
                                             byte == DeviceControl4 || byte == Cancel))
                ? "control code of the printer language"
                : "dropped: takes no cell";
    else
        piece.meaning = byte < 0x20 ? "printed as a blank cell"
                                    : "dropped: the code page gives it no character";
    return 1;
}

// Text runs up to the next byte that is not printed as it stands.
std::size_t JobDump::textRun(const SchemeMatcher& matcher, std::string_view rest, bool pcl,
                             std::uint8_t country, DumpPiece& piece) const {
    std::size_t end = 1;
    while (end < rest.size() && plainText(matcher, rest.substr(end), pcl))
        ++end;
    piece.mark = "text";
    piece.meaning = "printed: \"" + text(rest.substr(0, end), country) + "\"";
    return end;
}

bool JobDump::plainText(const SchemeMatcher& matcher, std::string_view rest, bool pcl) const {
    const auto byte = static_cast<std::uint8_t>(rest[0]);
    const std::uint16_t code = m_table.code(byte);
    if (byte < 0x20 || (pcl ? byte == Escape
                            : code == 0 || code == Escape || movesPen(code) ||
                                  (byte == 0x7F && dotMatrix(m_scheme.language()))))
        return false;
    return !matcher.startsSequence(byte) ||
           matcher.match(rest.substr(0, SchemeMatcher::LookAhead + 1),
                         [](const SchemeMatcher::Match&) {}) == 0;
}

std::string JobDump::text(std::string_view bytes, std::uint8_t country) const {
    std::string out;
    for (char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        const auto code = static_cast<char16_t>(m_table.code(byte));
        appendUtf8(out, country == 0 ? code : nationalCharacter(country, byte, code));
    }
    return out;
}

void JobDump::write(std::ostream& out, std::string_view job, std::string_view initString) const {
    out << "scheme " << m_scheme.name();
    if (m_scheme.language() != PrinterLanguage::None)
        out << " (" << printerLanguageName(m_scheme.language()) << ")";
    out << ", " << job.size() << " bytes";
    if (!initString.empty())
        out << " after an initialisation string of " << initString.size() << " bytes";
    out << '\n';
    // A command may begin in the initialisation string and end in the job; a job without
    // one is read where it lies.
    const std::string joined =
        initString.empty() ? std::string() : std::string(initString) + std::string(job);
    const std::string_view bytes = initString.empty() ? job : std::string_view(joined);
    constexpr std::size_t PerLine = 16;
    read(bytes, [&](const DumpPiece& piece) {
        const std::size_t lines = (piece.length + PerLine - 1) / PerLine;
        const std::size_t shown = piece.mark == "text" ? lines : std::min<std::size_t>(lines, 2);
        for (std::size_t line = 0; line < shown; ++line) {
            const std::size_t start = piece.offset + line * PerLine;
            const std::size_t count = std::min(PerLine, piece.offset + piece.length - start);
            char offset[32];
            if (start < initString.size())
                std::snprintf(offset, sizeof offset, "init %03zX  ", start);
            else
                std::snprintf(offset, sizeof offset, "%08zX  ", start - initString.size());
            std::string hex, printable;
            for (std::size_t i = 0; i < count; ++i) {
                char cell[4];
                std::snprintf(cell, sizeof cell, "%02X ",
                              static_cast<std::uint8_t>(bytes[start + i]));
                hex += cell;
                const auto byte = static_cast<std::uint8_t>(bytes[start + i]);
                printable += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
            }
            hex.resize(PerLine * 3, ' ');
            printable.resize(PerLine, ' ');
            out << offset << hex << ' ' << printable << "  ";
            if (line == 0)
                out << '[' << piece.mark << "] " << piece.meaning;
            out << '\n';
        }
        if (shown < lines)
            out << "          … " << piece.length - shown * PerLine << " more bytes of "
                << piece.mark << '\n';
    });
}

} // namespace marlet
