#include "FontFace.h"

#include "base/Error.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include <algorithm>
#include <fstream>
#include <map>
#include <mutex>

namespace marlet {

namespace {

FT_Face asFace(void* face) {
    return static_cast<FT_Face>(face);
}

} // namespace

FontFace::FontFace(const FontLocation& location) : m_index(location.index) {
    std::ifstream in(location.path, std::ios::binary | std::ios::ate);
    if (in) {
        m_file.resize(static_cast<std::size_t>(std::max<std::streamoff>(0, in.tellg())));
        in.seekg(0);
        if (!in.read(m_file.data(), static_cast<std::streamsize>(m_file.size())))
            m_file.clear();
    }
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (m_file.empty() || FT_Init_FreeType(&library) != 0)
        throw Error("Cannot open font " + location.path);
    m_library = library;
    if (FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(m_file.data()),
                           static_cast<FT_Long>(m_file.size()), location.index, &face) != 0) {
        FT_Done_FreeType(library);
        throw Error("Cannot open font " + location.path);
    }
    m_face = face;

    m_metrics.unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    m_metrics.bboxLeft = static_cast<int>(face->bbox.xMin);
    m_metrics.bboxBottom = static_cast<int>(face->bbox.yMin);
    m_metrics.bboxRight = static_cast<int>(face->bbox.xMax);
    m_metrics.bboxTop = static_cast<int>(face->bbox.yMax);
    m_metrics.fixedPitch = FT_IS_FIXED_WIDTH(face);
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
    if (os2 && os2->version != 0xFFFF) {
        m_metrics.winAscent = os2->usWinAscent;
        m_metrics.winDescent = os2->usWinDescent;
        m_metrics.averageWidth = os2->xAvgCharWidth;
        m_metrics.capHeight = os2->version >= 2 ? os2->sCapHeight : 0;
        m_metrics.strikeoutPosition = os2->yStrikeoutPosition;
        m_metrics.strikeoutSize = os2->yStrikeoutSize;
    }
    // A face without Windows metrics: take the typographic ones.
    if (m_metrics.winAscent + m_metrics.winDescent <= 0) {
        m_metrics.winAscent = face->ascender;
        m_metrics.winDescent = -face->descender;
    }
    if (m_metrics.capHeight <= 0)
        m_metrics.capHeight = face->ascender;
    if (post)
        m_metrics.italicAngle = static_cast<int>(post->italicAngle >> 16);
    m_metrics.underlinePosition = face->underline_position;
    m_metrics.underlineThickness = face->underline_thickness;
    if (m_metrics.strikeoutSize <= 0) {
        m_metrics.strikeoutSize = m_metrics.underlineThickness;
        m_metrics.strikeoutPosition = m_metrics.capHeight / 2;
    }
    if (const char* name = FT_Get_Postscript_Name(face))
        m_postScriptName = name;
    else
        m_postScriptName = "Font";

    m_advances.resize(static_cast<std::size_t>(face->num_glyphs));
    long total = 0;
    for (FT_UInt glyph = 0; glyph < m_advances.size(); ++glyph) {
        FT_Fixed advance = 0;
        FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance);
        m_advances[glyph] = static_cast<std::uint16_t>(advance);
        total += advance;
    }
    if (m_metrics.averageWidth <= 0)
        m_metrics.averageWidth = m_advances.empty() ? m_metrics.unitsPerEm / 2
                                                    : static_cast<int>(total / m_advances.size());
}

FontFace::~FontFace() {
    FT_Done_Face(asFace(m_face));
    FT_Done_FreeType(static_cast<FT_Library>(m_library));
}

std::uint16_t FontFace::lookUp(char16_t character) const {
    auto glyph = static_cast<std::uint16_t>(FT_Get_Char_Index(asFace(m_face), character));
    m_glyphs[character] = static_cast<std::uint16_t>(glyph + 1);
    return glyph;
}

std::shared_ptr<const FontFace> openFace(const FontLocation& location) {
    static std::mutex mutex;
    static std::map<std::pair<std::string, int>, std::shared_ptr<const FontFace>> faces;
    std::lock_guard lock(mutex);
    auto key = std::make_pair(location.path, location.index);
    auto found = faces.find(key);
    if (found != faces.end())
        return found->second;
    auto face = std::make_shared<const FontFace>(location);
    faces.emplace(key, face);
    return face;
}

} // namespace marlet
