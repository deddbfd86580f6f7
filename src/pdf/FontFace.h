#pragma once

#include "CharacterTable.h"
#include "FontLocator.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace marlet {

/// The numbers a Windows printer driver sizes a TrueType face by, plus what a PDF font
/// descriptor needs, all in font units.
struct FaceMetrics {
    int unitsPerEm = 2048;
    int winAscent = 0;
    int winDescent = 0;
    int averageWidth = 0;
    int capHeight = 0;
    int italicAngle = 0;
    bool fixedPitch = false;
    int bboxLeft = 0;
    int bboxBottom = 0;
    int bboxRight = 0;
    int bboxTop = 0;
    int underlinePosition = 0;
    int underlineThickness = 0;
    int strikeoutPosition = 0;
    int strikeoutSize = 0;
};

/// One face of a font file, read once: its metrics, glyph ids and advances, and the file's
/// bytes for embedding.
class FontFace {
public:
    /// Opens the face; fails with "Cannot open font PATH".
    explicit FontFace(const FontLocation& location);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const FaceMetrics& metrics() const { return m_metrics; }
    const std::string& postScriptName() const { return m_postScriptName; }
    const std::string& fileBytes() const { return m_file; }
    int faceIndex() const { return m_index; }
    int glyphCount() const { return static_cast<int>(m_advances.size()); }

    /// The glyph for a UTF-16 unit (0, the missing glyph, when the face lacks it).
    std::uint16_t glyph(char16_t character) const {
        const std::uint16_t cached = m_glyphs[character];
        return cached != 0 ? static_cast<std::uint16_t>(cached - 1) : lookUp(character);
    }
    /// The advance of a glyph in font units.
    int advance(std::uint16_t glyph) const {
        return glyph < m_advances.size() ? m_advances[glyph] : m_metrics.averageWidth;
    }

private:
    std::uint16_t lookUp(char16_t character) const;

    std::string m_file;
    int m_index = 0;
    void* m_library = nullptr;
    void* m_face = nullptr;
    FaceMetrics m_metrics;
    std::string m_postScriptName;
    std::vector<std::uint16_t> m_advances;
    // Glyph ids plus one, 0 until looked up; a face has at most 65535 glyphs.
    mutable CharacterTable<std::uint16_t> m_glyphs;
};

/// The face for a location, opened once per run and shared.
std::shared_ptr<const FontFace> openFace(const FontLocation& location);

} // namespace marlet
