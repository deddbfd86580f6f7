#pragma once

#include <cstdint>

namespace marlet {

/// Whether the byte is one of the twelve ASCII codes (# $ @ [ \ ] ^ ` { | } ~) that the
/// international character sets of ESC R replace.
bool isNationalCode(std::uint8_t byte);

/// Whether ESC R takes the country: 0 to 13, and 64 (legal).
bool isCountry(std::uint8_t country);

/// The character the country's set prints for the byte; code for the others.
char16_t nationalCharacter(std::uint8_t country, std::uint8_t byte, char16_t code);

} // namespace marlet
