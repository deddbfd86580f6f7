#include "PageGeometry.h"

#include "base/Error.h"
#include "base/Rounding.h"
#include "base/ShortText.h"

#include <cmath>
#include <cstdlib>

namespace marlet {

namespace {

constexpr long double MillimetresPerInch = 25.4L;
// The pitch of a font request's pitch and family, any family.
constexpr std::uint8_t FixedPitch = 1;
constexpr std::uint8_t VariablePitch = 2;

int checkedDeviceValue(int value) {
    if (value < 0)
        throw Error::rangeCheck();
    return value;
}

// Multiplies and divides in 64 bits, rounding a half away from zero.
int mulDiv(int number, int numerator, int denominator) {
    long long product = static_cast<long long>(number) * numerator;
    long long half = std::llabs(static_cast<long long>(denominator)) / 2;
    long long quotient = (product >= 0 ? product + half : product - half) / denominator;
    return static_cast<int>(quotient);
}

} // namespace

int PageGeometry::resx() const {
    return checkedDeviceValue(m_printer->resolutionX());
}

int PageGeometry::resy() const {
    return checkedDeviceValue(m_printer->resolutionY());
}

std::uint8_t PageGeometry::setcell(int sampleSizePoints) {
    if (sampleSizePoints == 10) {
        LineHeight = roundToField<std::uint16_t>(resy() / 6.0L);
        CellWidth = roundToField<std::uint16_t>(resx() / 12.0L);
        FontHeight = LineHeight;
        return 12;
    }
    TextExtent at = m_printer->textExtent(u"@");
    auto pitch = roundToField<std::uint8_t>(static_cast<long double>(resx()) / at.width);
    LineHeight = fitField<std::uint16_t>(at.height);
    CellWidth = fitField<std::uint16_t>(at.width);
    FontHeight = fitField<std::uint16_t>(at.height);
    return pitch;
}

void PageGeometry::setpitch(std::uint8_t pitch) {
    // A pitch of 0 would make an infinite cell; refuse it before anything changes.
    if (pitch == 0)
        throw Error::rangeCheck();
    if (Condensed && pitch == 10)
        pitch = 18;
    else if (Condensed && pitch == 12)
        pitch = 20;
    const int resolution = resx();
    // The same pitch on the same printer gives the same cell; jobs ask for it often.
    if (pitch != m_lastPitch || DoubleWidth != m_lastDoubleWidth || resolution != m_lastResolution)
        workOutCell(pitch, resolution);
    CellWidth = LanguageCell != 0 ? LanguageCell : m_lastCellWidth;

    // Jobs call this for nearly every byte: the request is refreshed in place.
    const CanvasFont& current = m_printer->canvasFont();
    m_request.height = FontHeight;
    m_request.width = Proportional ? ProportionalWidth : CellWidth;
    m_request.pitchAndFamily = Proportional ? VariablePitch : FixedPitch;
    m_request.weight = current.style.bold ? 700 : 0;
    m_request.italic = current.style.italic;
    m_request.underline = current.style.underline;
    m_request.strikeout = current.style.strikeout;
    m_request.charset = FontCharset;
    if (!sameShortText(m_request.face, current.face))
        takeFace(current.face);
    m_printer->createFont(m_request);
}

void PageGeometry::workOutCell(std::uint8_t pitch, int resolution) {
    long double cells = DoubleWidth ? static_cast<long double>(resolution) / pitch * 2
                                    : static_cast<long double>(resolution) / pitch;
    m_lastCellWidth = roundToField<std::uint16_t>(cells);
    m_lastPitch = pitch;
    m_lastDoubleWidth = DoubleWidth;
    m_lastResolution = resolution;
}

void PageGeometry::takeFace(const std::string& face) {
    m_request.face = face;
}

FontRequest PageGeometry::pitchRequest() {
    FontRequest request;
    request.outPrecision = 4; // TrueType preferred
    request.clipPrecision = 0;
    request.quality = 2; // proof
    request.pitchAndFamily = FixedPitch;
    return request;
}

PageFigures PageGeometry::checksize(const CanvasFont& sampleFont, Margins margins,
                                    Orientation chosen) {
    // A zero cell would divide by zero: refuse before anything changes.
    if (CellWidth == 0 || LineHeight == 0)
        throw Error::rangeCheck();
    m_printer->setCanvasFont(sampleFont);

    PhysicalPage sheet = m_printer->physicalPage();
    int pageWidth = checkedDeviceValue(sheet.width);
    int pageHeight = checkedDeviceValue(sheet.height);
    int offsetX = checkedDeviceValue(sheet.offsetX);
    int offsetY = checkedDeviceValue(sheet.offsetY);
    if (chosen == Orientation::Landscape) {
        std::swap(pageWidth, pageHeight);
        std::swap(offsetX, offsetY);
    }

    PageFigures figures;
    figures.monospace = m_printer->textExtent(u"!").width == m_printer->textExtent(u"W").width;

    long double leftPixels = margins.left / MillimetresPerInch * resx();
    long double topPixels = margins.top / MillimetresPerInch * resy();
    OriginX = fitField<std::int32_t>(roundHalfEven(leftPixels) - offsetX);
    OriginY = fitField<std::int32_t>(roundHalfEven(topPixels) - offsetY);

    // One cell and one line less than what fits, as a safety allowance.
    figures.charsPerLine =
        fitField<std::int32_t>(roundHalfEven((pageWidth - leftPixels - offsetX) / CellWidth) - 1);
    figures.linesPerPage =
        fitField<std::int32_t>(roundHalfEven((pageHeight - topPixels - offsetY) / LineHeight) - 1);
    return figures;
}

Margins PageGeometry::defaultMargins() const {
    PhysicalPage sheet = m_printer->physicalPage();
    Margins margins;
    margins.top = roundToField<int>(checkedDeviceValue(sheet.offsetY) /
                                    static_cast<long double>(resy()) * MillimetresPerInch);
    margins.left = roundToField<int>(checkedDeviceValue(sheet.offsetX) /
                                     static_cast<long double>(resx()) * MillimetresPerInch);
    return margins;
}

Margins PageGeometry::largestMargins(Orientation chosen) const {
    if (CellWidth == 0 || LineHeight == 0)
        throw Error::rangeCheck();
    PhysicalPage sheet = m_printer->physicalPage();
    long double pageWidth = checkedDeviceValue(sheet.width);
    long double pageHeight = checkedDeviceValue(sheet.height);
    long double offsetX = checkedDeviceValue(sheet.offsetX);
    long double offsetY = checkedDeviceValue(sheet.offsetY);
    if (chosen == Orientation::Landscape) {
        std::swap(pageWidth, pageHeight);
        std::swap(offsetX, offsetY);
    }
    // checksize keeps one cell and one line as an allowance and rounds half to even: a
    // count of 1 needs room for one and a half.
    auto largest = [](long double room, unsigned cell, int dpi) {
        long double pixels = room - 1.5L * cell;
        return pixels <= 0 ? 0 : roundToField<int>(std::floor(pixels * MillimetresPerInch / dpi));
    };
    return Margins{largest(pageHeight - offsetY, LineHeight, resy()),
                   largest(pageWidth - offsetX, CellWidth, resx())};
}

FontRequest jobFontRequest(const std::string& face, FontStyle style, std::uint16_t height,
                           std::uint16_t width) {
    FontRequest request;
    request.face = face;
    request.height = height;
    request.width = width;
    request.weight = style.bold ? 700 : 0;
    request.italic = style.italic;
    request.underline = style.underline;
    request.strikeout = style.strikeout;
    request.charset = 0;
    request.outPrecision = 2; // character precision
    request.pitchAndFamily = 1;
    return request;
}

CanvasFont fontFromPoints(const std::string& face, int points, FontStyle style, int resolutionY) {
    CanvasFont font;
    font.face = face;
    font.height = -mulDiv(points, resolutionY, 72);
    font.style = style;
    font.charset = 1;
    return font;
}

} // namespace marlet
