#pragma once

#include "FontFace.h"
#include "PdfFile.h"

#include <memory>
#include <string>
#include <vector>

namespace marlet {

class Deflater;

/// A glyph as page text names it: the font of the file that carries it and its one-byte
/// code in that font.
struct GlyphCode {
    int font = 0;
    char code = 0;
};

/// The faces one PDF file prints with. A face goes in as fonts of up to 252 glyphs each, so
/// that a glyph takes one byte of page text; each font is embedded at the end as a subset of
/// its glyphs, keeping their ids, with a map from its codes to the glyphs and one back to
/// the characters, so that text can be copied out of the document.
class PdfFontSet {
public:
    /// The set's number for a face.
    int use(const std::shared_ptr<const FontFace>& face);
    /// The code of a glyph of a face. The first time it records the character the glyph
    /// prints, and a font that a new glyph opens takes its object number from file.
    GlyphCode code(int face, std::uint16_t glyph, char16_t character, PdfFile& file) {
        const std::uint32_t known = m_faces[static_cast<std::size_t>(face)].codes[glyph];
        if (known == 0)
            return assign(face, glyph, character, file);
        return {static_cast<int>(known >> 8) - 1, static_cast<char>(known & 0xFF)};
    }
    /// The resource name pages use for a font ("F1").
    std::string resourceName(int font) const { return "F" + std::to_string(font + 1); }
    int objectNumber(int font) const { return m_fonts[static_cast<std::size_t>(font)].number; }

    /// Writes every font with its subset, widths, codes and character map.
    void write(PdfFile& file) const;

private:
    struct Face {
        std::shared_ptr<const FontFace> face;
        std::vector<std::uint32_t> codes; // by glyph id: (font + 1) << 8 | code; 0 when unused
        int filling = -1;                 // the font that takes the face's next new glyph
    };
    struct Font {
        int face = 0;
        int number = 0;
        std::vector<std::uint16_t> glyphs; // by the order their codes were given
        std::vector<char16_t> characters;
    };
    GlyphCode assign(int face, std::uint16_t glyph, char16_t character, PdfFile& file);
    void writeFont(PdfFile& file, const Font& font, Deflater& deflater) const;

    std::vector<Face> m_faces;
    std::vector<Font> m_fonts;
};

} // namespace marlet
