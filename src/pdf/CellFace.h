#pragma once

#include "CharacterTable.h"
#include "FontFace.h"
#include "render/PageDevice.h"

#include <memory>
#include <string_view>

namespace marlet {

/// A face at the size a font request gives it, with a Windows printer driver's rules: a
/// positive height is the cell (winAscent + winDescent), a negative one the em; a width
/// stretches the face so that its average character fills it.
class CellFace {
public:
    CellFace(std::shared_ptr<const FontFace> face, int height, int width);

    const FontFace& face() const { return *m_face; }
    const std::shared_ptr<const FontFace>& sharedFace() const { return m_face; }
    /// Device pixels per font unit, across and down.
    double unitX() const { return m_unitX; }
    double unitY() const { return m_unitY; }
    /// Cell top to baseline, in pixels.
    int ascent() const { return m_ascent; }
    /// Cell height in pixels.
    int cellHeight() const { return m_cellHeight; }
    /// A glyph's advance in whole pixels.
    int advance(std::uint16_t glyph) const;
    /// A character's advance in whole pixels; the wrap check asks for one per byte.
    int characterAdvance(char16_t character) const {
        int cached = m_characterAdvances[character];
        if (cached == 0)
            cached = m_characterAdvances[character] = advance(m_face->glyph(character)) + 1;
        return cached - 1;
    }
    /// Width and height of a text, each advance rounded as the driver does.
    TextExtent extent(std::u16string_view text) const;

private:
    std::shared_ptr<const FontFace> m_face;
    double m_unitX = 1;
    double m_unitY = 1;
    int m_ascent = 0;
    int m_cellHeight = 0;
    mutable CharacterTable<int> m_characterAdvances; // advances plus one, 0 until measured
};

} // namespace marlet
