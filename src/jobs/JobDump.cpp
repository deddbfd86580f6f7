#include "JobDump.h"

#include "config/PrinterLanguage.h"
#include "config/SchemeEntry.h"
#include "languages/escp/EscPCommandTable.h"
#include "render/ControlBytes.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace marlet {

namespace {

constexpr const char* ControlNames[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                        "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                        "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                        "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

// A byte as a user reads it in a command's name: a control code by its name, DEL, a
// printable ASCII character as itself, anything else in hex.
std::string byteName(std::uint8_t byte) {
    if (byte < 0x20)
        return ControlNames[byte];
    if (byte == 0x7F)
        return "DEL";
    if (byte < 0x7F)
        return std::string(1, static_cast<char>(byte));
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    return hex;
}

std::string bytesName(std::string_view bytes) {
    std::string name;
    for (char c : bytes)
        name += (name.empty() ? "" : " ") + byteName(static_cast<std::uint8_t>(c));
    return name;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isControlCode(std::uint8_t byte) {
    return byte < 0x20 || byte == 0x7F;
}

bool dotMatrix(PrinterLanguage language) {
    return language == PrinterLanguage::EscP || language == PrinterLanguage::EscP2 ||
           language == PrinterLanguage::Proprinter;
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
    for (std::size_t at = 0; at < bytes.size();) {
        DumpPiece piece;
        piece.offset = at;
        std::string_view rest = bytes.substr(at);
        const auto byte = static_cast<std::uint8_t>(rest[0]);
        if (byte == Escape) {
            piece.length = escape(rest, piece);
        } else if (isControlCode(byte)) {
            piece.length = control(byte, piece);
        } else {
            std::size_t end = 1;
            while (end < rest.size() && !isControlCode(static_cast<std::uint8_t>(rest[end])))
                ++end;
            piece.length = end;
            piece.mark = "text";
            piece.meaning = "printed: \"" + text(rest.substr(0, end)) + "\"";
        }
        at += piece.length;
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

// In the order the job driver tries them: the user's scheme entries and drop list, then the
// printer language, then the built-in set of "Default".
std::size_t JobDump::escape(std::string_view rest, DumpPiece& piece) const {
    if (m_scheme.name() == NoSequencesSchemeName) {
        piece.mark = "ESC";
        piece.meaning = "dropped: no sequences are recognised; what follows prints";
        return 1;
    }
    std::size_t longest = 0;
    for (SchemeEntry entry : schemeEntries()) {
        const std::string& sequence = m_scheme.entry(entry);
        if (entry == SchemeEntry::Pitch || entry == SchemeEntry::LPI || sequence.empty() ||
            !rest.starts_with(sequence) || sequence.size() <= longest)
            continue;
        longest = sequence.size();
        piece.meaning = "scheme entry " + std::string(schemeEntryName(entry));
    }
    for (const auto& [prefix, name] :
         {std::pair{m_scheme.pitchPrefix(), "Pitch"}, std::pair{m_scheme.lpiPrefix(), "LPI"}}) {
        if (prefix.empty() || !rest.starts_with(prefix) || prefix.size() <= longest)
            continue;
        std::size_t end = prefix.size();
        while (end < rest.size() && end < prefix.size() + 3 && isDigit(rest[end]))
            ++end;
        longest = end;
        piece.meaning = std::string("scheme entry ") + name;
    }
    for (const std::string& dropped : m_dropList) {
        if (!dropped.empty() && rest.starts_with(dropped) && dropped.size() > longest) {
            longest = dropped.size();
            piece.meaning = "dropped: a line of the drop list";
        }
    }
    if (longest > 0) {
        piece.mark = bytesName(rest.substr(0, longest));
        return longest;
    }
    const PrinterLanguage language = m_scheme.language();
    if (dotMatrix(language)) {
        std::string_view after = rest.substr(1);
        if (const EscPCommand* command = findEscPCommand(language, after)) {
            std::optional<std::size_t> length = escPCommandLength(
                *command, language, [after](std::size_t n) { return after.substr(0, n); });
            const std::size_t taken = 1 + length.value_or(after.size());
            piece.mark = "ESC " + bytesName(command->name);
            piece.meaning = std::string(printerLanguageName(language)) + " command ESC " +
                            bytesName(command->name) +
                            (command->action == EscPAction::Ignore ? ": taken, no effect" : "") +
                            (length ? "" : ": cut short by the end of the job");
            return taken;
        }
    }
    if (language == PrinterLanguage::Pcl)
        return pclSequence(rest, piece);
    if (m_scheme.name() == DefaultSchemeName)
        return defaultSet(rest, piece);
    piece.mark = "ESC";
    piece.meaning = "not a sequence of the scheme: printed as a blank cell";
    return 1;
}

// The built-in set: ESC takes the byte after it; S, A, P and L then two digits, O one side.
std::size_t JobDump::defaultSet(std::string_view rest, DumpPiece& piece) const {
    if (rest.size() == 1) {
        piece.mark = "ESC";
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

// ESC, a parameter character, a group character, then values each closed by a letter,
// lower case while the sequence goes on; an upper-case W, V or ( ... carries data of the
// value's length. Two-character sequences are ESC and one character.
std::size_t JobDump::pclSequence(std::string_view rest, DumpPiece& piece) const {
    std::size_t at = 1;
    const auto in = [&](std::size_t i, int low, int high) {
        return i < rest.size() && rest[i] >= low && rest[i] <= high;
    };
    if (in(1, 0x21, 0x2F) && in(2, 0x60, 0x7E)) {
        at = 3;
        for (;;) {
            std::size_t start = at;
            while (at < rest.size() &&
                   (isDigit(rest[at]) || rest[at] == '.' || rest[at] == '+' || rest[at] == '-'))
                ++at;
            if (!in(at, 0x40, 0x7E)) {
                at = std::max(at, start);
                break;
            }
            const char command = rest[at++];
            if (command == 'W') {
                std::size_t count = 0;
                for (std::size_t i = start; i < at - 1 && count < rest.size(); ++i)
                    if (isDigit(rest[i]))
                        count = count * 10 + static_cast<std::size_t>(rest[i] - '0');
                at = std::min(rest.size(), at + count);
            }
            if (command < 0x60)
                break;
        }
    } else if (in(1, 0x30, 0x7E)) {
        at = 2;
    }
    piece.mark = bytesName(rest.substr(0, std::min<std::size_t>(at, 8))) + (at > 8 ? " …" : "");
    piece.meaning = at > 1 ? "PCL command" : "PCL: a lone ESC, dropped";
    return at;
}

std::size_t JobDump::control(std::uint8_t byte, DumpPiece& piece) const {
    piece.mark = byteName(byte);
    const bool language = m_scheme.language() != PrinterLanguage::None;
    switch (byte) {
    case CarriageReturn:
        piece.meaning = "control code: carriage return";
        break;
    case LineFeed:
        piece.meaning = "control code: line feed";
        break;
    case FormFeed:
        piece.meaning = "control code: form feed, a new page";
        break;
    case Tab:
    case VerticalTab:
    case Backspace:
    case ShiftOut:
    case ShiftIn:
    case DeviceControl2:
    case DeviceControl4:
    case Cancel:
        piece.meaning =
            language ? "control code of the printer language" : "printed as a blank cell";
        break;
    default:
        piece.meaning = language ? "dropped: takes no cell" : "printed as a blank cell";
        break;
    }
    return 1;
}

std::string JobDump::text(std::string_view bytes) const {
    std::string out;
    for (char c : bytes)
        appendUtf8(out, static_cast<char16_t>(m_table.code(static_cast<std::uint8_t>(c))));
    return out;
}

void JobDump::write(std::ostream& out, std::string_view bytes) const {
    out << "scheme " << m_scheme.name();
    if (m_scheme.language() != PrinterLanguage::None)
        out << " (" << printerLanguageName(m_scheme.language()) << ")";
    out << ", " << bytes.size() << " bytes\n";
    constexpr std::size_t PerLine = 16;
    for (const DumpPiece& piece : pieces(bytes)) {
        const std::size_t lines = (piece.length + PerLine - 1) / PerLine;
        const std::size_t shown = piece.mark == "text" ? lines : std::min<std::size_t>(lines, 2);
        for (std::size_t line = 0; line < shown; ++line) {
            const std::size_t start = piece.offset + line * PerLine;
            const std::size_t count = std::min(PerLine, piece.offset + piece.length - start);
            char offset[16];
            std::snprintf(offset, sizeof offset, "%08zX  ", start);
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
    }
}

} // namespace marlet
