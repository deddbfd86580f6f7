#include "CellFont.h"

#include "pdf/FontLocator.h"

#include <QByteArray>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace marlet {

namespace {

// The OS/2 fields a Windows driver sizes TrueType fonts by.
struct WindowsMetrics {
    double unitsPerEm = 2048;
    double winAscent = 0;
    double winDescent = 0;
    double averageWidth = 0;
};

int readUnsigned16(const QByteArray& table, int offset) {
    auto high = static_cast<unsigned char>(table[offset]);
    auto low = static_cast<unsigned char>(table[offset + 1]);
    return high << 8 | low;
}

int readSigned16(const QByteArray& table, int offset) {
    int value = readUnsigned16(table, offset);
    return value >= 0x8000 ? value - 0x10000 : value;
}

WindowsMetrics windowsMetrics(const QRawFont& raw) {
    WindowsMetrics metrics;
    metrics.unitsPerEm = raw.unitsPerEm() > 0 ? raw.unitsPerEm() : 2048;
    QByteArray os2 = raw.fontTable("OS/2");
    if (os2.size() >= 78) {
        metrics.averageWidth = readSigned16(os2, 2);
        metrics.winAscent = readUnsigned16(os2, 74);
        metrics.winDescent = readUnsigned16(os2, 76);
    }
    // A face without Windows metrics (a Type 1 or bitmap font): take what the engine says.
    double perUnit = metrics.unitsPerEm / raw.pixelSize();
    if (metrics.winAscent + metrics.winDescent <= 0) {
        metrics.winAscent = raw.ascent() * perUnit;
        metrics.winDescent = raw.descent() * perUnit;
    }
    if (metrics.averageWidth <= 0)
        metrics.averageWidth = raw.averageCharWidth() * perUnit;
    return metrics;
}

QFont styledFont(const CanvasFont& font) {
    // The PDF writer's choice of face, so that PNG pages and PDF print in the same one.
    FontLocation location = FontLocator::locate(font.face, font.style.bold, font.style.italic);
    QFont styled(QString::fromStdString(location.family));
    styled.setBold(font.style.bold);
    styled.setItalic(font.style.italic);
    styled.setUnderline(font.style.underline);
    styled.setStrikeOut(font.style.strikeout);
    styled.setKerning(false);
    styled.setHintingPreference(QFont::PreferNoHinting);
    styled.setStyleStrategy(QFont::PreferOutline);
    return styled;
}

} // namespace

CellFont::CellFont(const CanvasFont& font, int defaultEmPixels) : m_font(styledFont(font)) {
    const int referenceEm = 100;
    m_font.setPixelSize(referenceEm);
    m_raw = QRawFont::fromFont(m_font);
    WindowsMetrics metrics = windowsMetrics(m_raw);
    double cellUnits = metrics.winAscent + metrics.winDescent;

    // A positive height is the cell (tmHeight); Qt takes ems in whole pixels only, so the
    // nearest whole em is stretched to the exact cell when drawn.
    int em = 0;
    if (font.height > 0) {
        em = std::max(1,
                      static_cast<int>(std::lround(font.height * metrics.unitsPerEm / cellUnits)));
        double naturalCell = cellUnits * em / metrics.unitsPerEm;
        m_scaleY = font.height / naturalCell;
        m_cellHeight = font.height;
        m_ascent = static_cast<int>(std::lround(font.height * metrics.winAscent / cellUnits));
    } else {
        em = font.height < 0 ? -font.height : std::max(1, defaultEmPixels);
        m_scaleY = 1;
        m_ascent = static_cast<int>(std::lround(metrics.winAscent * em / metrics.unitsPerEm));
        m_cellHeight =
            m_ascent + static_cast<int>(std::lround(metrics.winDescent * em / metrics.unitsPerEm));
    }

    // A width stretches the face so that its average character (xAvgCharWidth) fills it.
    int width = std::abs(font.width);
    if (width > 0 && metrics.averageWidth > 0)
        m_scaleX = width / (metrics.averageWidth * em / metrics.unitsPerEm);
    else
        m_scaleX = m_scaleY;

    m_font.setPixelSize(em);
    m_raw.setPixelSize(em);
}

int CellFont::textWidth(std::u16string_view text) const {
    QString string = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    QList<quint32> glyphs = m_raw.glyphIndexesForString(string);
    QList<QPointF> advances = m_raw.advancesForGlyphIndexes(glyphs, QRawFont::SeparateAdvances |
                                                                        QRawFont::UseDesignMetrics);
    int width = 0;
    for (const QPointF& advance : advances)
        width += static_cast<int>(std::lround(advance.x() * m_scaleX));
    return width;
}

} // namespace marlet
