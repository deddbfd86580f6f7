#pragma once

#include <string>
#include <string_view>

namespace marlet::bench {

/// Unicode text as a DOS program prints it in code page 866: Cyrillic, the box-drawing and
/// block characters, and ASCII; anything else becomes "?".
std::string dosText(std::u16string_view text);

} // namespace marlet::bench
