#include "languages/pcl/PclTokenizer.h"

#include "render/ControlBytes.h"

#include <algorithm>
#include <string_view>

namespace marlet {

namespace {

// A printer keeps value fields to four decimals and ±32767.
constexpr long double LargestValue = 32767.9999L;
// Data is looked at in pieces of this size.
constexpr std::size_t DataChunk = 4096;

bool isParameter(int c) {
    return c >= 0x21 && c <= 0x2F;
}

bool isGroupOrContinuation(int c) {
    return c >= 0x60 && c <= 0x7E;
}

bool isTermination(int c) {
    return c >= 0x40 && c <= 0x5E;
}

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

// Whether the bytes begin an escape that ends an HP-GL/2 block: ESC % # A, ESC % # X (the
// Universal Exit Language) or a printer reset.
bool endsPlotterBlock(std::string_view ahead) {
    if (ahead.size() >= 2 && ahead[1] == 'E')
        return true;
    if (ahead.size() < 3 || ahead[1] != '%')
        return false;
    std::size_t i = 2;
    if (ahead[i] == '+' || ahead[i] == '-')
        ++i;
    while (i < ahead.size() && (isDigit(ahead[i]) || ahead[i] == '.'))
        ++i;
    return i < ahead.size() && (ahead[i] == 'A' || ahead[i] == 'X');
}

} // namespace

int PclTokenizer::peek() const {
    if (!m_input.hasNext())
        return -1;
    return static_cast<std::uint8_t>(m_input.following(1)[0]);
}

bool PclTokenizer::begin() {
    m_open = false;
    const int c = peek();
    if (isParameter(c)) {
        m_input.skip(1);
        m_parameter = static_cast<char>(c);
        m_group = 0;
        if (isGroupOrContinuation(peek())) {
            m_group = static_cast<char>(peek());
            m_input.skip(1);
        }
        m_open = true;
        return true;
    }
    if (c >= 0x30 && c <= 0x7E) {
        // A two-character sequence: begin() leaves it for next() to give.
        m_parameter = 0;
        m_group = 0;
        m_open = true;
        return true;
    }
    return false;
}

bool PclTokenizer::next(PclCommand& command) {
    if (!m_open)
        return false;
    command = PclCommand{};
    if (m_parameter == 0) {
        command.terminator = static_cast<char>(m_input.next());
        m_open = false;
        return true;
    }
    command.parameter = m_parameter;
    command.group = m_group;
    int c = peek();
    bool negative = false;
    if (c == '+' || c == '-') {
        command.relative = true;
        negative = c == '-';
        m_input.skip(1);
        c = peek();
    }
    long double value = 0;
    long double scale = 0; // 0 before the decimal point, then the weight of the next digit
    for (; isDigit(c) || c == '.'; m_input.skip(1), c = peek()) {
        if (c == '.') {
            scale = scale == 0 ? 0.1L : scale;
        } else if (scale == 0) {
            value = std::min(value * 10 + (c - '0'), LargestValue + 1);
        } else if (scale > 1e-5L) {
            value += (c - '0') * scale;
            scale /= 10;
        }
    }
    command.value = std::min(value, LargestValue) * (negative ? -1 : 1);
    if (isGroupOrContinuation(c)) {
        command.terminator = static_cast<char>(c - 0x20);
        command.last = false;
    } else if (isTermination(c)) {
        command.terminator = static_cast<char>(c);
        m_open = false;
    } else {
        // Cut by the end of the job or by a byte no command ends with: what was read goes.
        m_open = false;
        return false;
    }
    m_input.skip(1);
    return true;
}

std::string PclTokenizer::data(std::uint64_t count, std::size_t keep) {
    std::string kept;
    while (count > 0 && m_input.hasNext()) {
        const std::string_view piece =
            m_input.following(static_cast<std::size_t>(std::min<std::uint64_t>(count, DataChunk)));
        if (kept.size() < keep)
            kept.append(piece.substr(0, keep - kept.size()));
        m_input.skip(piece.size());
        count -= piece.size();
    }
    return kept;
}

void PclTokenizer::skipJobLanguage() {
    m_open = false;
    // Each PJL line starts "@PJL" and ends with a line feed; blank line ends between them
    // belong to the PJL too.
    for (;;) {
        const int c = peek();
        if (c == '\r' || c == LineFeed) {
            m_input.skip(1);
            continue;
        }
        if (m_input.following(4) != "@PJL")
            return;
        while (m_input.hasNext() && m_input.next() != LineFeed) {
        }
    }
}

void PclTokenizer::skipPlotterBlock() {
    m_open = false;
    while (m_input.hasNext()) {
        const std::string_view piece = m_input.following(DataChunk);
        const std::size_t escape = piece.find(static_cast<char>(Escape));
        if (escape == std::string_view::npos) {
            m_input.skip(piece.size());
            continue;
        }
        m_input.skip(escape);
        if (endsPlotterBlock(m_input.following(24)))
            return;
        m_input.skip(1);
    }
}

} // namespace marlet
