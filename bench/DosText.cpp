#include "DosText.h"

namespace marlet::bench {

std::string dosText(std::u16string_view text) {
    // Code page 866 from 0xB0 to 0xDF, in order.
    static constexpr std::u16string_view Figures =
        u"░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀";
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c >= u'А' && c <= u'п')
            out += static_cast<char>(0x80 + (c - u'А'));
        else if (c >= u'р' && c <= u'я')
            out += static_cast<char>(0xE0 + (c - u'р'));
        else if (c == u'Ё')
            out += static_cast<char>(0xF0);
        else if (c == u'ё')
            out += static_cast<char>(0xF1);
        else if (c == u'№')
            out += static_cast<char>(0xFC);
        else if (auto at = Figures.find(c); at != std::u16string_view::npos)
            out += static_cast<char>(0xB0 + at);
        else
            out += '?';
    }
    return out;
}

} // namespace marlet::bench
