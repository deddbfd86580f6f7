#pragma once

namespace marlet {

/// One command of a PCL escape sequence as the tokenizer reads it. ESC & a 1 c 2 R gives
/// two: parameter '&', group 'a', terminators 'C' and 'R'. A two-character sequence
/// (ESC E) has no parameter character and its second byte as terminator.
struct PclCommand {
    /// '&', '*', '(', ')', '%' and the like; 0 for a two-character sequence.
    char parameter = 0;
    /// The lower-case group character, 0 when the sequence has none (ESC ( 8 U).
    char group = 0;
    /// The command character in upper case.
    char terminator = 0;
    /// The value field, held to what a printer keeps: ±32767.9999.
    long double value = 0;
    /// Whether the value had a sign: a move from where the cursor is.
    bool relative = false;
    /// Whether the sequence ends with this command.
    bool last = true;
};

/// The value of the Universal Exit Language, ESC % -12345 X: PJL lines follow it.
inline constexpr long double UniversalExitValue = -12345;

} // namespace marlet
