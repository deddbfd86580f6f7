#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace marlet {

/// One run of a job's bytes that the interpreter takes as a whole: a command with its
/// parameters, a control code, or text.
struct DumpPiece {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::string mark;    // the bytes as a user names them: "ESC K", "CR", "text"
    std::string meaning; // what the interpreter makes of them
};

/// A byte as a user reads it in a command's name: a control code by its name ("SI"), DEL,
/// a printable ASCII character as itself, anything else in hex ("0x8E").
std::string byteName(std::uint8_t byte);

/// The bytes' names, a space between them.
std::string bytesName(std::string_view bytes);

} // namespace marlet
