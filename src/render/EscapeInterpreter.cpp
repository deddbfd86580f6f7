#include "EscapeInterpreter.h"

#include "base/Rounding.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace marlet {

namespace {

bool isDigit(std::uint8_t byte) {
    return byte >= '0' && byte <= '9';
}

} // namespace

std::uint8_t DigCount(std::string_view text) {
    return static_cast<std::uint8_t>(std::count(text.begin(), text.end(), '0'));
}

std::optional<long double> parseDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        number += text[i++];
    auto digits = [&] {
        std::size_t start = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            number += text[i++];
        return i - start;
    };
    std::size_t whole = digits();
    std::size_t fraction = 0;
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        fraction = digits();
    }
    if (whole + fraction == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        number += text[i++];
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            number += text[i++];
        if (digits() == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    return std::strtold(number.c_str(), nullptr);
}

EscapeInterpreter::EscapeInterpreter(PageDevice& printer, PageGeometry& geometry,
                                     const ActiveScheme& scheme,
                                     const std::vector<std::string>& dropList, JobState& job,
                                     JobInput& input)
    : m_printer(printer), m_geometry(geometry), m_job(job), m_input(input),
      m_matcher(scheme, dropList), m_builtIn(scheme.name() == DefaultSchemeName) {
}

void EscapeInterpreter::act(const SchemeMatcher::Match& match, std::string_view window) {
    if (match.dropLine)
        return;
    switch (match.entry) {
    case SchemeEntry::Bold:
    case SchemeEntry::NoBold:
        setStyle(&FontStyle::bold, match.entry == SchemeEntry::Bold);
        return;
    case SchemeEntry::Italic:
    case SchemeEntry::NoItalic:
        setStyle(&FontStyle::italic, match.entry == SchemeEntry::Italic);
        return;
    case SchemeEntry::Underline:
    case SchemeEntry::NoUnderline:
        setStyle(&FontStyle::underline, match.entry == SchemeEntry::Underline);
        return;
    case SchemeEntry::Strikeout:
    case SchemeEntry::NoStrikeout:
        setStyle(&FontStyle::strikeout, match.entry == SchemeEntry::Strikeout);
        return;
    case SchemeEntry::Portrait:
    case SchemeEntry::Landscape:
        changeOrientation(match.entry == SchemeEntry::Portrait ? Orientation::Portrait
                                                               : Orientation::Landscape);
        return;
    case SchemeEntry::Pitch:
        pitchFrom(*match.sequence, window);
        return;
    case SchemeEntry::LPI:
        linesFrom(*match.sequence, window);
        return;
    default:
        break;
    }
    // A scheme entry that sets the cell wins over a printer language's own cell and spacing.
    m_geometry.clearLanguageText();
    switch (match.entry) {
    case SchemeEntry::Double:
        m_geometry.DoubleWidth = true;
        break;
    case SchemeEntry::NoDouble:
        m_geometry.DoubleWidth = false;
        break;
    case SchemeEntry::Condenced:
        // Condensed maps pica to 18 and elite to 20 cpi; the job's own pitch stays.
        if (m_job.pitch == 12)
            m_geometry.setpitch(20);
        else if (m_job.pitch == 10)
            m_geometry.setpitch(18);
        m_geometry.Condensed = true;
        break;
    case SchemeEntry::NoCondenced:
        m_geometry.setpitch(m_job.pitch);
        m_geometry.Condensed = false;
        break;
    default: {
        // Pica, elite and their condensed forms.
        const std::uint8_t pitch = match.entry == SchemeEntry::Pica       ? 10
                                   : match.entry == SchemeEntry::Elit     ? 12
                                   : match.entry == SchemeEntry::CondPica ? 18
                                                                          : 20;
        m_job.pitch = pitch;
        m_geometry.setpitch(pitch);
        break;
    }
    }
}

std::optional<long double> EscapeInterpreter::parameter(const std::string& pattern,
                                                        std::string_view window) const {
    // The digits start at the first "0" of the normalised window and are as many as the
    // template has places.
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (templateByte(window[i]) == '0')
            return parseDecimal(window.substr(i, DigCount(pattern)));
    }
    return std::nullopt;
}

void EscapeInterpreter::pitchFrom(const std::string& pattern, std::string_view window) {
    if (auto value = parameter(pattern, window)) {
        long double pitch = roundHalfEven(*value);
        if (pitch >= 1 && pitch <= 255)
            m_job.pitch = static_cast<std::uint8_t>(pitch);
    }
    m_geometry.setpitch(m_job.pitch);
}

void EscapeInterpreter::linesFrom(const std::string& pattern, std::string_view window) {
    if (auto value = parameter(pattern, window); value && *value != 0) {
        long double height = roundHalfEven(m_geometry.resy() / *value);
        if (height >= 0 && height <= 65535)
            m_geometry.LineHeight = static_cast<std::uint16_t>(height);
    }
    m_geometry.setpitch(m_job.pitch);
}

bool EscapeInterpreter::matchAt(std::uint8_t byte) {
    if (!m_matcher.canBegin(byte)) {
        // No sequence starts with this byte: the attempt matches nothing.
        m_geometry.setpitch(m_job.pitch);
        return false;
    }
    // The current byte and what follows it, on the stack.
    char bytes[SchemeMatcher::LookAhead + 1];
    bytes[0] = static_cast<char>(byte);
    std::string_view following = m_input.following(SchemeMatcher::LookAhead);
    std::copy(following.begin(), following.end(), bytes + 1);
    const std::string_view window(bytes, following.size() + 1);
    // Every entry that matches acts; the last one checked sets how many bytes go.
    const std::size_t length =
        m_matcher.match(window, [&](const SchemeMatcher::Match& match) { act(match, window); });
    if (length > 1)
        m_input.skip(length - 1);
    m_geometry.setpitch(m_job.pitch);
    return length > 0;
}

void EscapeInterpreter::setStyle(bool FontStyle::*style, bool on) {
    // A style change alone gives the face its natural width until setpitch rebuilds it.
    CanvasFont font = m_printer.canvasFont();
    font.style.*style = on;
    font.width = 0;
    m_printer.setCanvasFont(font);
}

void EscapeInterpreter::changeOrientation(Orientation target) {
    m_job.requested = target;
    if (m_printer.orientation() == target)
        return;
    // Between pages the next page start ends the document and turns the paper.
    if (m_printer.documentOpen() && !m_job.pageOpen)
        return;
    if (m_job.pageOpen)
        m_printer.endDocument();
    m_printer.setOrientation(target);
    m_job.penY = m_geometry.OriginY;
    m_job.pageOpen = false;
}

void EscapeInterpreter::escape() {
    if (!m_builtIn || !m_input.hasNext())
        return;
    command(m_input.next());
    m_geometry.setpitch(m_job.pitch);
}

EscapeInterpreter::Parameter EscapeInterpreter::twoDigits() {
    // Both bytes are taken whether or not they are digits; a pair cut by the end of the
    // data is not complete.
    std::uint8_t bytes[2];
    for (std::uint8_t& byte : bytes) {
        if (!m_input.hasNext())
            return {};
        byte = m_input.next();
    }
    Parameter parameter{true, std::nullopt};
    if (isDigit(bytes[0]) && isDigit(bytes[1]))
        parameter.value = (bytes[0] - '0') * 10 + (bytes[1] - '0');
    return parameter;
}

void EscapeInterpreter::command(std::uint8_t letter) {
    switch (letter) {
    case 'B':
    case 'b':
    case 'I':
    case 'i':
    case 'U':
    case 'u': {
        bool FontStyle::*style = letter == 'B' || letter == 'b'   ? &FontStyle::bold
                                 : letter == 'I' || letter == 'i' ? &FontStyle::italic
                                                                  : &FontStyle::underline;
        setStyle(style, std::isupper(letter) != 0);
        break;
    }
    case 'S':
    case 's': {
        Parameter size = twoDigits();
        if (!size.complete)
            break;
        if (size.value) {
            CanvasFont font = m_printer.canvasFont();
            font.height =
                fontFromPoints(font.face, *size.value, font.style, m_geometry.resy()).height;
            font.width = 0;
            m_printer.setCanvasFont(font);
        }
        // The cell follows "@" in the font as it now is.
        TextExtent at = m_printer.textExtent(u"@");
        long double pitch =
            at.width > 0 ? roundHalfEven(static_cast<long double>(m_geometry.resx()) / at.width)
                         : 0;
        if (pitch >= 1 && pitch <= 255)
            m_job.pitch = static_cast<std::uint8_t>(pitch);
        m_geometry.LineHeight = fitField<std::uint16_t>(at.height);
        m_geometry.FontHeight = m_geometry.LineHeight;
        break;
    }
    case 'A':
    case 'a':
        if (auto points = twoDigits().value)
            m_geometry.LineHeight =
                roundToField<std::uint16_t>(m_geometry.resy() * *points / 72.0L);
        break;
    case 'P':
    case 'p':
        if (auto pitch = twoDigits().value; pitch && *pitch != 0)
            m_job.pitch = static_cast<std::uint8_t>(*pitch);
        break;
    case 'L':
    case 'l':
        if (auto lines = twoDigits().value; lines && *lines != 0) {
            m_geometry.FontHeight =
                roundToField<std::uint16_t>(static_cast<long double>(m_geometry.resy()) / *lines);
            // As the job font is first made, but a height change keeps the style in force.
            CanvasFont current = m_printer.canvasFont();
            m_printer.createFont(jobFontRequest(current.face, current.style, m_geometry.FontHeight,
                                                m_geometry.CellWidth));
        }
        break;
    case 'O':
    case 'o':
        if (m_input.hasNext()) {
            std::uint8_t side = m_input.next();
            if (side == 'L' || side == 'l')
                changeOrientation(Orientation::Landscape);
            else if (side == 'P' || side == 'p')
                changeOrientation(Orientation::Portrait);
            else
                m_job.requested = m_printer.orientation();
        }
        break;
    default:
        // An unknown command takes its letter with it.
        break;
    }
}

} // namespace marlet
