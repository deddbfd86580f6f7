#include "SequenceText.h"

#include "config/UnicodeText.h"

namespace marlet {

namespace {

// The editor takes the ESC key as DEL, since ESC would close the dialog or the cell editor.
constexpr char16_t TypedEscape = 127;
constexpr char Escape = 27;

} // namespace

QString sequenceText(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char byte : bytes)
        text += QChar(static_cast<char16_t>(windows1251Char(static_cast<std::uint8_t>(byte))));
    return text;
}

std::string sequenceBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (QChar character : text) {
        if (character.unicode() == TypedEscape) {
            bytes += Escape;
            continue;
        }
        std::optional<std::uint8_t> byte = windows1251Byte(character.unicode());
        bytes += byte ? static_cast<char>(*byte) : '?';
    }
    return bytes;
}

bool isSequenceCharacter(QChar character) {
    return character.unicode() != 0 && windows1251Byte(character.unicode()).has_value();
}

} // namespace marlet
