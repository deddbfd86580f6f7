#include "languages/pcl/PclCommands.h"

#include "base/Rounding.h"

#include <algorithm>

namespace marlet {

namespace {

// Longest parameterised sequence looked at before it is acted on.
constexpr std::size_t LookAhead = 64;
// How much raster data is looked at in one piece.
constexpr std::size_t DataChunk = 4096;

bool isGroup(char c) {
    return c >= 0x60 && c <= 0x7E;
}

bool isTerminator(char c) {
    return c >= 0x40 && c <= 0x5E;
}

// The commands of the families and groups this printer understands.
bool known(char family, char group, char letter) {
    if (family == '&')
        return group == 'a' && (letter == 'H' || letter == 'V');
    switch (group) {
    case 't':
        return letter == 'R';
    case 'r':
        return letter == 'A' || letter == 'B' || letter == 'C';
    case 'b':
        return letter == 'W' || letter == 'M' || letter == 'Y';
    case 'p':
        return letter == 'X' || letter == 'Y';
    default:
        return false;
    }
}

bool supportedResolution(long double dpi) {
    for (int supported : {75, 100, 150, 200, 300, 600}) {
        if (dpi == supported)
            return true;
    }
    return false;
}

// A value field: a sign, digits and a fraction; no digits at all is 0.
long double valueOf(std::string_view field) {
    long double value = 0;
    long double divisor = 1;
    bool fraction = false;
    for (char c : field) {
        if (c == '.') {
            fraction = true;
        } else if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            if (fraction)
                divisor *= 10;
        }
    }
    value /= divisor;
    return !field.empty() && field[0] == '-' ? -value : value;
}

} // namespace

bool PclCommands::parse(std::string_view ahead, std::vector<Parameter>& parameters,
                        std::size_t& length) const {
    // ESC, a family byte, a group byte, then values each closed by a parameter letter: lower
    // case when another value follows, upper case at the end.
    if (ahead.size() < 2 || (ahead[0] != '*' && ahead[0] != '&') || !isGroup(ahead[1]))
        return false;
    std::size_t i = 2;
    for (;;) {
        Parameter parameter;
        const std::size_t start = i;
        if (i < ahead.size() && (ahead[i] == '+' || ahead[i] == '-')) {
            parameter.relative = true;
            ++i;
        }
        while (i < ahead.size() && ((ahead[i] >= '0' && ahead[i] <= '9') || ahead[i] == '.'))
            ++i;
        if (i == ahead.size()) {
            // Cut by the end of the job: what is there goes, with no effect.
            length = i;
            return ahead.size() < LookAhead;
        }
        const char letter = ahead[i];
        if (!isGroup(letter) && !isTerminator(letter))
            return false;
        parameter.letter = isGroup(letter) ? static_cast<char>(letter - 0x20) : letter;
        if (!known(ahead[0], ahead[1], parameter.letter))
            return false;
        // Raster data follows its W: only the last parameter can carry it.
        if (parameter.letter == 'W' && isGroup(letter))
            return false;
        parameter.value = valueOf(ahead.substr(start, i - start));
        parameters.push_back(parameter);
        ++i;
        if (isTerminator(letter)) {
            length = i;
            return true;
        }
    }
}

bool PclCommands::escape() {
    const std::string_view ahead = m_input.following(LookAhead);
    std::vector<Parameter> parameters;
    std::size_t length = 0;
    if (!parse(ahead, parameters, length))
        return false;
    const char family = ahead[0];
    const char group = ahead[1];
    m_input.skip(length);
    for (const Parameter& parameter : parameters)
        act(family, group, parameter);
    return true;
}

void PclCommands::act(char family, char group, const Parameter& parameter) {
    JobState& job = m_head.job();
    const PageGeometry& geometry = m_head.geometry();
    const bool rasterCommand = family == '*' && (group == 'b' || group == 't' ||
                                                 (group == 'r' && parameter.letter == 'A'));
    // Moving the cursor ends a picture being gathered.
    if (!rasterCommand)
        finish();
    if (family == '&') {
        if (parameter.letter == 'H')
            moveTo(job.penX, geometry.OriginX, parameter, geometry.resx(), 720);
        else
            moveTo(job.penY, geometry.OriginY, parameter, geometry.resy(), 720);
        return;
    }
    switch (group) {
    case 't':
        if (!m_raster && supportedResolution(parameter.value))
            m_resolution = static_cast<int>(parameter.value);
        break;
    case 'r':
        if (parameter.letter == 'A')
            startRaster(parameter.value == 1);
        break;
    case 'b':
        if (parameter.letter == 'M') {
            m_decoder.setMode(static_cast<int>(parameter.value));
        } else if (parameter.letter == 'Y') {
            startRaster(false);
            const auto rows = static_cast<std::size_t>(std::clamp<long double>(
                parameter.value, 0, static_cast<long double>(m_resolution) * 100));
            m_rows.resize(m_rows.size() + rows);
            m_decoder.clearSeed();
        } else {
            startRaster(false);
            transferRow(static_cast<std::size_t>(std::max<long double>(0, parameter.value)));
        }
        break;
    case 'p':
        if (parameter.letter == 'X')
            moveTo(job.penX, geometry.OriginX, parameter, geometry.resx(), 300);
        else
            moveTo(job.penY, geometry.OriginY, parameter, geometry.resy(), 300);
        break;
    default:
        break;
    }
}

void PclCommands::moveTo(std::int32_t& pen, std::int32_t origin, const Parameter& parameter,
                         int resolution, int perInch) {
    const std::int32_t distance =
        roundToField<std::int32_t>(parameter.value * resolution / perInch);
    pen = parameter.relative ? pen + distance : origin + distance;
}

void PclCommands::startRaster(bool atCursor) {
    if (m_raster)
        return;
    m_raster = true;
    const JobState& job = m_head.job();
    m_left = atCursor ? job.penX : m_head.geometry().OriginX;
    m_top = job.penY;
    m_rows.clear();
    m_decoder.clearSeed();
}

void PclCommands::transferRow(std::size_t bytes) {
    std::string data;
    while (data.size() < bytes && m_input.hasNext()) {
        std::string_view piece = m_input.following(std::min(DataChunk, bytes - data.size()));
        data.append(piece);
        m_input.skip(piece.size());
    }
    m_rows.push_back(m_decoder.decode(data));
}

void PclCommands::finish() {
    if (!m_raster)
        return;
    m_raster = false;
    std::size_t widest = 0;
    for (const std::vector<std::uint8_t>& row : m_rows)
        widest = std::max(widest, row.size());
    BitImage picture(static_cast<int>(widest * 8), static_cast<int>(m_rows.size()));
    for (std::size_t y = 0; y < m_rows.size(); ++y)
        std::copy(m_rows[y].begin(), m_rows[y].end(), picture.row(static_cast<int>(y)));
    m_rows.clear();
    JobState& job = m_head.job();
    job.penX = m_left;
    job.penY = m_top;
    m_head.place(picture, m_resolution, m_resolution);
    job.penY = m_top + m_head.down(picture.height(), m_resolution);
}

} // namespace marlet
