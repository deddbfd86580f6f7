#pragma once

#include "FontFace.h"
#include "PdfFile.h"

#include <memory>
#include <string>
#include <vector>

namespace marlet {

/// The faces one PDF file prints with. Each is embedded at the end as a subset of the
/// glyphs used, keeping their ids, with a map back to the characters so that text can be
/// copied out of the document.
class PdfFontSet {
public:
    /// The set's number for a face; a new face gets its object number from file.
    int use(const std::shared_ptr<const FontFace>& face, PdfFile& file);
    /// Records that a glyph printed a character.
    void markGlyph(int font, std::uint16_t glyph, char16_t character) {
        char16_t& known = m_fonts[static_cast<std::size_t>(font)].characters[glyph];
        if (known == 0)
            known = character;
    }
    /// The resource name pages use for the font ("F1").
    std::string resourceName(int font) const { return "F" + std::to_string(font + 1); }
    int objectNumber(int font) const { return m_fonts[static_cast<std::size_t>(font)].number; }
    int size() const { return static_cast<int>(m_fonts.size()); }

    /// Writes every font with its subset, widths and character map.
    void write(PdfFile& file) const;

private:
    struct Font {
        std::shared_ptr<const FontFace> face;
        int number = 0;
        std::vector<char16_t> characters; // by glyph id; 0 when unused
    };
    void writeFont(PdfFile& file, const Font& font) const;

    std::vector<Font> m_fonts;
};

} // namespace marlet
