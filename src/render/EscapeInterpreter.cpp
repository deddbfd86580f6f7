#include "EscapeInterpreter.h"

#include "base/Rounding.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace marlet {

namespace {

// How far past the current byte a sequence may reach.
constexpr std::size_t LookAhead = 30;

// Dots, slashes and digits all read as "0", so a template's placeholders match any digit.
char normalised(char byte) {
    return byte >= 0x2E && byte <= 0x39 ? '0' : byte;
}

// Whether the window starts with the entry. Entries are a few bytes and most differ from
// the window in their first or second: compared here, not through a library call.
bool matches(const std::string& entry, std::string_view window) {
    if (entry.empty() || window.size() < entry.size())
        return false;
    for (std::size_t i = 0; i < entry.size(); ++i) {
        if (entry[i] != window[i])
            return false;
    }
    return true;
}

bool isDigit(std::uint8_t byte) {
    return byte >= '0' && byte <= '9';
}

// The style entries, each followed by its opposite.
constexpr std::pair<SchemeEntry, bool FontStyle::*> StyleEntries[] = {
    {SchemeEntry::Bold, &FontStyle::bold},
    {SchemeEntry::NoBold, &FontStyle::bold},
    {SchemeEntry::Italic, &FontStyle::italic},
    {SchemeEntry::NoItalic, &FontStyle::italic},
    {SchemeEntry::Underline, &FontStyle::underline},
    {SchemeEntry::NoUnderline, &FontStyle::underline},
    {SchemeEntry::Strikeout, &FontStyle::strikeout},
    {SchemeEntry::NoStrikeout, &FontStyle::strikeout}};

constexpr std::pair<SchemeEntry, std::uint8_t> PitchEntries[] = {{SchemeEntry::Pica, 10},
                                                                 {SchemeEntry::Elit, 12},
                                                                 {SchemeEntry::CondPica, 18},
                                                                 {SchemeEntry::CondElit, 20}};

constexpr std::uint32_t NoSecondByte = 256;

std::uint32_t pairKey(std::uint8_t first, std::uint32_t second) {
    return first * 257u + second;
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
    : m_printer(printer), m_geometry(geometry), m_scheme(scheme), m_job(job), m_input(input),
      m_matching(scheme.name() != NoSequencesSchemeName),
      m_builtIn(scheme.name() == DefaultSchemeName) {
    auto lead = [&](const std::string& sequence) {
        if (sequence.empty())
            return;
        m_leadBytes[static_cast<std::uint8_t>(sequence[0])] = true;
        m_canBegin[static_cast<std::uint8_t>(sequence[0])] = true;
    };
    for (SchemeEntry entry : schemeEntries())
        lead(scheme.entry(entry));
    // The fixed sequences by their first two bytes, in the order they are checked.
    auto entry = [&](SchemeEntry which) -> const std::string& { return scheme.entry(which); };
    for (std::size_t i = 0; i < std::size(StyleEntries); ++i)
        addCandidate(entry(StyleEntries[i].first), true, Action::Style,
                     static_cast<std::uint8_t>(i));
    addCandidate(entry(SchemeEntry::Double), true, Action::Double);
    addCandidate(entry(SchemeEntry::NoDouble), true, Action::NoDouble);
    for (const std::string& line : dropList) {
        lead(line);
        // Matching is tried at every byte of a drop line, though only its first can begin it.
        for (char byte : line)
            m_leadBytes[static_cast<std::uint8_t>(byte)] = true;
        addCandidate(line, true, Action::Drop);
    }
    addCandidate(entry(SchemeEntry::Condenced), false, Action::Condensed);
    addCandidate(entry(SchemeEntry::NoCondenced), false, Action::NoCondensed);
    for (auto [which, pitch] : PitchEntries)
        addCandidate(entry(which), false, Action::Pitch, pitch);
    addCandidate(entry(SchemeEntry::Portrait), false, Action::Portrait);
    addCandidate(entry(SchemeEntry::Landscape), false, Action::Landscape);

    for (const std::string* derived : {&scheme.pitchPattern(), &scheme.pitchPrefix(),
                                       &scheme.lpiPattern(), &scheme.lpiPrefix()}) {
        lead(*derived);
        // A template's first byte is compared with the window's byte made "0" for digits.
        for (int byte = 0; byte < 256 && !derived->empty(); ++byte) {
            if (normalised(static_cast<char>(byte)) == (*derived)[0])
                m_canBegin[static_cast<std::size_t>(byte)] = true;
        }
    }
}

void EscapeInterpreter::addCandidate(const std::string& sequence, bool beforeTemplates,
                                     Action action, std::uint8_t detail) {
    if (sequence.empty())
        return;
    const auto first = static_cast<std::uint8_t>(sequence[0]);
    auto add = [&](std::uint32_t second) {
        Candidates& candidates = m_candidates[pairKey(first, second)];
        (beforeTemplates ? candidates.beforeTemplates : candidates.afterTemplates)
            .push_back({&sequence, action, detail});
    };
    if (sequence.size() > 1) {
        add(static_cast<std::uint8_t>(sequence[1]));
        return;
    }
    // One byte matches whatever follows it, and also at the end of the data.
    for (std::uint32_t second = 0; second <= NoSecondByte; ++second)
        add(second);
}

void EscapeInterpreter::act(const Candidate& candidate) {
    // A scheme entry that sets the cell wins over a printer language's own cell and spacing.
    if (candidate.action == Action::Double || candidate.action == Action::NoDouble ||
        candidate.action == Action::Condensed || candidate.action == Action::NoCondensed ||
        candidate.action == Action::Pitch)
        m_geometry.clearLanguageText();
    switch (candidate.action) {
    case Action::Style:
        setStyle(StyleEntries[candidate.detail].second, candidate.detail % 2 == 0);
        break;
    case Action::Double:
        m_geometry.DoubleWidth = true;
        break;
    case Action::NoDouble:
        m_geometry.DoubleWidth = false;
        break;
    case Action::Drop:
        break;
    case Action::Condensed:
        // Condensed maps pica to 18 and elite to 20 cpi; the job's own pitch stays.
        if (m_job.pitch == 12)
            m_geometry.setpitch(20);
        else if (m_job.pitch == 10)
            m_geometry.setpitch(18);
        m_geometry.Condensed = true;
        break;
    case Action::NoCondensed:
        m_geometry.setpitch(m_job.pitch);
        m_geometry.Condensed = false;
        break;
    case Action::Pitch:
        m_job.pitch = candidate.detail;
        m_geometry.setpitch(candidate.detail);
        break;
    case Action::Portrait:
        changeOrientation(Orientation::Portrait);
        break;
    case Action::Landscape:
        changeOrientation(Orientation::Landscape);
        break;
    }
}

bool EscapeInterpreter::matchesNormalised(const std::string& pattern,
                                          std::string_view window) const {
    if (pattern.empty() || window.size() < pattern.size())
        return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (normalised(window[i]) != pattern[i])
            return false;
    }
    return true;
}

std::optional<long double> EscapeInterpreter::parameter(const std::string& pattern,
                                                        std::string_view window) const {
    // The digits start at the first "0" of the normalised window and are as many as the
    // template has places.
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (normalised(window[i]) == '0')
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
    if (!m_canBegin[byte]) {
        // No sequence starts with this byte: the attempt matches nothing.
        m_geometry.setpitch(m_job.pitch);
        return false;
    }
    // The current byte and what follows it, on the stack.
    char bytes[LookAhead + 1];
    bytes[0] = static_cast<char>(byte);
    std::string_view following = m_input.following(LookAhead);
    std::copy(following.begin(), following.end(), bytes + 1);
    const std::string_view window(bytes, following.size() + 1);
    std::size_t length = 1;
    bool matched = false;
    // Every entry that matches acts; the last one checked sets how many bytes go.
    const auto found = m_candidates.find(
        pairKey(byte, window.size() > 1 ? static_cast<std::uint8_t>(window[1]) : NoSecondByte));
    const Candidates* candidates = found != m_candidates.end() ? &found->second : nullptr;
    auto check = [&](const std::vector<Candidate>& list) {
        for (const Candidate& candidate : list) {
            if (!matches(*candidate.sequence, window))
                continue;
            length = candidate.sequence->size();
            matched = true;
            act(candidate);
        }
    };
    if (candidates)
        check(candidates->beforeTemplates);

    // A prefix only counts where its full template did not match: otherwise the digits of
    // a matched ESC "P12" would print as text after it.
    auto parameterised = [&](const std::string& pattern, const std::string& prefix, auto apply) {
        const std::string* used = matchesNormalised(pattern, window)  ? &pattern
                                  : matchesNormalised(prefix, window) ? &prefix
                                                                      : nullptr;
        if (!used)
            return;
        length = used->size();
        matched = true;
        (this->*apply)(*used, window);
    };
    parameterised(m_scheme.pitchPattern(), m_scheme.pitchPrefix(), &EscapeInterpreter::pitchFrom);
    parameterised(m_scheme.lpiPattern(), m_scheme.lpiPrefix(), &EscapeInterpreter::linesFrom);

    if (candidates)
        check(candidates->afterTemplates);

    m_input.skip(length - 1);
    m_geometry.setpitch(m_job.pitch);
    return matched;
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
