#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace marlet {

/// The optional file of sequences the interpreter swallows without effect.
inline constexpr const char* DropListFileName = "unused.seq";
/// No more sequences than this are dropped; further lines are ignored.
inline constexpr std::size_t MaxDropSequences = 256;

/// The sequences of a drop list's raw bytes: one per line (lines end with CR, LF or CR
/// LF), empty lines skipped, at most MaxDropSequences.
std::vector<std::string> parseDropList(std::string_view bytes);

/// Reads the drop list file; a file that is absent or unreadable drops nothing.
std::vector<std::string> readDropList(const std::string& fileName = DropListFileName);

} // namespace marlet
