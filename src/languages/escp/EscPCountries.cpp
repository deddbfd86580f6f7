#include "languages/escp/EscPCountries.h"

#include <string_view>

namespace marlet {

namespace {

constexpr std::string_view NationalCodes = "#$@[\\]^`{|}~";

// Each country's characters for the codes above, in their order, from the printers'
// character set tables.
constexpr std::u16string_view Countries[] = {
    u"#$@[\\]^`{|}~", // USA
    u"#$à°ç§^`éùè¨",  // France
    u"#$§ÄÖÜ^`äöüß",  // Germany
    u"£$@[\\]^`{|}~", // United Kingdom
    u"#$@ÆØÅ^`æøå~",  // Denmark I
    u"#¤ÉÄÖÅÜéäöåü",  // Sweden
    u"#$@°\\é^ùàòèì", // Italy
    u"₧$@¡Ñ¿^`¨ñ}~",  // Spain I
    u"#$@[¥]^`{|}~",  // Japan
    u"#¤ÉÆØÅÜéæøåü",  // Norway
    u"#$ÉÆØÅÜéæøåü",  // Denmark II
    u"#$á¡Ñ¿é`íñóú",  // Spain II
    u"#$á¡Ñ¿éüíñóú",  // Latin America
    u"#$@[₩]^`{|}~",  // Korea
};
constexpr std::u16string_view Legal = u"#$§°'\"¶`©®†™";
constexpr std::uint8_t LegalCountry = 64;

} // namespace

bool isNationalCode(std::uint8_t byte) {
    return NationalCodes.find(static_cast<char>(byte)) != std::string_view::npos;
}

bool isCountry(std::uint8_t country) {
    return country < std::size(Countries) || country == LegalCountry;
}

char16_t nationalCharacter(std::uint8_t country, std::uint8_t byte, char16_t code) {
    const std::size_t at = NationalCodes.find(static_cast<char>(byte));
    if (at == std::string_view::npos || !isCountry(country))
        return code;
    return (country == LegalCountry ? Legal : Countries[country])[at];
}

} // namespace marlet
