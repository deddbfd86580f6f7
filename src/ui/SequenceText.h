#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace marlet {

/// A stored byte string as the editor shows it: each byte as its Windows-1251 character,
/// the single-byte code page schemes were typed in on the Russian host; control bytes stay
/// the control characters of the same codes.
QString sequenceText(std::string_view bytes);

/// The bytes of an editor text, each character as its Windows-1251 byte. A DEL (127),
/// which is how the editor holds a typed ESC, is written as ESC (27). A character without
/// a Windows-1251 byte cannot be typed in the editor; here it becomes "?".
std::string sequenceBytes(const QString& text);

/// Whether the character can stand in a stored sequence: it has a Windows-1251 byte and
/// is not NUL, which ends a registry string.
bool isSequenceCharacter(QChar character);

} // namespace marlet
