#include "ReportGenerator.h"

#include "DosText.h"

#include <array>
#include <cstdio>

namespace marlet::bench {

namespace {

std::string dos(const std::u16string& text) {
    return dosText(text);
}

const std::array<std::u16string, 12> Goods = {
    u"Бумага офисная А4",     u"Картридж HP LaserJet",  u"Папка-регистратор", u"Ручка шариковая",
    u"Степлер металлический", u"Дискета 3.5\" 1.44 Мб", u"Кабель Centronics", u"Лента для Epson LX",
    u"Скрепки 28 мм",         u"Калькулятор Citizen",   u"Тетрадь 48 л.",     u"Мышь Genius PS/2"};

const std::array<std::u16string, 5> Units = {u"шт", u"уп", u"пач", u"кор", u"м"};

std::string number(long long value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%*lld", width, value);
    return text;
}

std::string money(long long kopecks, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%*lld.%02lld", width - 3, kopecks / 100, kopecks % 100);
    return text;
}

std::string padded(const std::u16string& text, std::size_t width) {
    std::u16string cell = text.substr(0, width);
    cell.resize(width, u' ');
    return dos(cell);
}

} // namespace

unsigned ReportGenerator::next() {
    m_state = m_state * 1103515245u + 12345u;
    return (m_state >> 8) & 0xFFFFFF;
}

std::string ReportGenerator::generate(std::size_t bytes) {
    std::string out;
    out.reserve(bytes + 8192);
    m_pages = 0;
    while (out.size() < bytes)
        page(out);
    return out;
}

std::string ReportGenerator::stamp() const {
    // ESC * 39: 48 columns of 24 dots at 180 dpi, a framed tick as an approval stamp.
    std::string out = "\x1B*\x27\x30";
    out += '\0';
    for (int x = 0; x < 48; ++x) {
        unsigned long column = x == 0 || x == 47 ? 0xFFFFFFul : 0x800001ul;
        const int tick = x < 16 ? 12 + x / 2 : 20 - (x - 16) / 2;
        if (x > 4 && x < 43 && tick > 1 && tick < 23)
            column |= 1ul << (23 - tick);
        for (int shift : {16, 8, 0})
            out += static_cast<char>((column >> shift) & 0xFF);
    }
    return out;
}

void ReportGenerator::page(std::string& out) {
    ++m_pages;
    const std::string crlf = "\r\n";
    const std::string esc = "\x1B";
    // Epson sequences: ESC W1/W0 wide, ESC E/F bold, ESC 4/5 italic, SI/DC2 condensed.
    auto styled = [&](const char* on, const std::string& text, const char* off) {
        return m_escapes ? esc + on + text + esc + off : text;
    };
    out += styled("W1", dos(u"АО \"Северный склад\""), "W0") + "   " +
           dos(u"Оборотная ведомость по складу N 3") + "       " + dos(u"Лист ") +
           number(m_pages, 4) + crlf;
    out += dos(u"Период: 01.03.1997 - 31.03.1997    Отпечатано: 02.04.1997 09:41") + crlf + crlf;
    out += dos(u"┌─────┬───────┬───────────────────────────┬────┬──────┬──────────┬────────────┐") +
           crlf;
    out += dos(u"│  N  │  Код  │ Наименование              │ Ед.│Кол-во│   Цена   │   Сумма    │") +
           crlf;
    out += dos(u"├─────┼───────┼───────────────────────────┼────┼──────┼──────────┼────────────┤") +
           crlf;
    long long total = 0;
    for (int line = 0; line < 56; ++line) {
        ++m_row;
        unsigned r = next();
        const std::u16string& name = Goods[r % Goods.size()];
        long long quantity = 1 + (r >> 4) % 500;
        long long price = 100 + (r >> 9) % 250000;
        total += quantity * price;
        std::string item = padded(name + u" " + std::u16string(1, u'A' + (r >> 13) % 26), 26);
        if (line % 4 == 0)
            item = styled("E", item, "F");
        else if (line % 7 == 0)
            item = styled("4", item, "5");
        out += dos(u"│") + number(m_row, 5) + dos(u"│") + number(10000 + (r >> 3) % 90000, 7) +
               dos(u"│ ") + item + dos(u"│") + padded(Units[(r >> 5) % Units.size()], 4) +
               dos(u"│") + number(quantity, 6) + dos(u"│") + money(price, 10) + dos(u"│") +
               money(quantity * price, 12) + dos(u"│");
        // 30/180 inch is the standard sixth of an inch, given in binary.
        if (m_graphics)
            out += line % 4 == 0 ? " " + stamp() + esc + "3\x1E" : esc + "2";
        out += crlf;
    }
    out += dos(u"└─────┴───────┴───────────────────────────┴────┴──────┴──────────┴────────────┘") +
           crlf;
    std::string totalLine = dos(u"Итого по листу:") + money(total, 15);
    out += std::string(47, ' ') + (m_escapes ? "\x0F" + totalLine + "\x12" : totalLine) + crlf;
    out += "\f";
}

} // namespace marlet::bench
