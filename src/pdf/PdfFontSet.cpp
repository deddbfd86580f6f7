#include "PdfFontSet.h"

#include "base/Error.h"

#include <hb-subset.h>

#include <cstdio>

namespace marlet {

namespace {

std::string subsetOf(const FontFace& face, const std::vector<char16_t>& characters) {
    hb_blob_t* blob =
        hb_blob_create(face.fileBytes().data(), static_cast<unsigned>(face.fileBytes().size()),
                       HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* whole = hb_face_create(blob, static_cast<unsigned>(face.faceIndex()));
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    if (!input)
        throw Error("Out of memory");
    hb_set_t* glyphs = hb_subset_input_glyph_set(input);
    hb_set_add(glyphs, 0);
    for (std::size_t glyph = 0; glyph < characters.size(); ++glyph) {
        if (characters[glyph] != 0)
            hb_set_add(glyphs, static_cast<hb_codepoint_t>(glyph));
    }
    // Pages already name glyphs by their ids in the whole face: the subset keeps them.
    hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NO_HINTING);
    hb_face_t* subset = hb_subset_or_fail(whole, input);
    std::string bytes;
    if (subset) {
        hb_blob_t* result = hb_face_reference_blob(subset);
        unsigned length = 0;
        const char* data = hb_blob_get_data(result, &length);
        bytes.assign(data, length);
        hb_blob_destroy(result);
        hb_face_destroy(subset);
    }
    hb_subset_input_destroy(input);
    hb_face_destroy(whole);
    hb_blob_destroy(blob);
    // A face the subsetter cannot cut is embedded whole.
    if (bytes.empty())
        bytes = face.fileBytes();
    return bytes;
}

// Six capital letters naming the subset, the same for the same glyphs.
std::string subsetTag(const std::vector<char16_t>& characters) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t glyph = 0; glyph < characters.size(); ++glyph) {
        if (characters[glyph] != 0)
            hash = (hash ^ static_cast<std::uint32_t>(glyph)) * 16777619u;
    }
    std::string tag(6, 'A');
    for (char& letter : tag) {
        letter = static_cast<char>('A' + hash % 26);
        hash /= 26;
    }
    return tag;
}

int thousandths(int units, int unitsPerEm) {
    return static_cast<int>(
        (static_cast<long long>(units) * 1000 + (units >= 0 ? 1 : -1) * unitsPerEm / 2) /
        unitsPerEm);
}

// An advance in thousandths of an em, to three places and rounded up: the glyphs of a run
// then never fall short of their cells, which a rasteriser that floors glyph origins would
// show as a one-pixel shift.
std::string advanceWidth(int units, int unitsPerEm) {
    const long long millionths =
        (static_cast<long long>(units) * 1000000 + unitsPerEm - 1) / unitsPerEm;
    std::string text = std::to_string(millionths / 1000);
    if (const int fraction = static_cast<int>(millionths % 1000); fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, ".%03d", fraction);
        text += digits;
        while (text.back() == '0')
            text.pop_back();
    }
    return text;
}

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

std::string toUnicodeMap(const std::vector<char16_t>& characters) {
    std::vector<std::pair<unsigned, char16_t>> pairs;
    for (std::size_t glyph = 0; glyph < characters.size(); ++glyph) {
        if (characters[glyph] != 0)
            pairs.emplace_back(static_cast<unsigned>(glyph), characters[glyph]);
    }
    std::string map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
                      "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000><FFFF>\nendcodespacerange\n";
    for (std::size_t start = 0; start < pairs.size(); start += 100) {
        std::size_t end = std::min(pairs.size(), start + 100);
        map += std::to_string(end - start) + " beginbfchar\n";
        for (std::size_t i = start; i < end; ++i)
            map += "<" + hex4(pairs[i].first) + "><" + hex4(pairs[i].second) + ">\n";
        map += "endbfchar\n";
    }
    map += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend";
    return map;
}

std::string widthArray(const FontFace& face, const std::vector<char16_t>& characters) {
    const int unitsPerEm = face.metrics().unitsPerEm;
    std::string widths = "[";
    std::size_t glyph = 0;
    while (glyph < characters.size()) {
        if (characters[glyph] == 0) {
            ++glyph;
            continue;
        }
        widths += std::to_string(glyph) + "[";
        while (glyph < characters.size() && characters[glyph] != 0) {
            widths +=
                advanceWidth(face.advance(static_cast<std::uint16_t>(glyph)), unitsPerEm) + " ";
            ++glyph;
        }
        widths.back() = ']';
    }
    return widths + "]";
}

} // namespace

int PdfFontSet::use(const std::shared_ptr<const FontFace>& face, PdfFile& file) {
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i].face == face)
            return static_cast<int>(i);
    }
    Font font;
    font.face = face;
    font.number = file.reserve();
    font.characters.assign(static_cast<std::size_t>(face->glyphCount()), 0);
    m_fonts.push_back(std::move(font));
    return static_cast<int>(m_fonts.size() - 1);
}

void PdfFontSet::write(PdfFile& file) const {
    for (const Font& font : m_fonts)
        writeFont(file, font);
}

void PdfFontSet::writeFont(PdfFile& file, const Font& font) const {
    const FontFace& face = *font.face;
    const FaceMetrics& m = face.metrics();
    const std::string name = subsetTag(font.characters) + "+" + face.postScriptName();
    const int descendant = file.reserve();
    const int descriptor = file.reserve();
    const int fontFile = file.reserve();
    const int toUnicode = file.reserve();

    file.object(font.number, "<</Type/Font/Subtype/Type0/BaseFont/" + name +
                                 "/Encoding/Identity-H/DescendantFonts[" +
                                 std::to_string(descendant) + " 0 R]/ToUnicode " +
                                 std::to_string(toUnicode) + " 0 R>>");
    file.object(descendant, "<</Type/Font/Subtype/CIDFontType2/BaseFont/" + name +
                                "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>"
                                "/FontDescriptor " +
                                std::to_string(descriptor) + " 0 R/DW " +
                                std::to_string(thousandths(m.averageWidth, m.unitsPerEm)) + "/W" +
                                widthArray(face, font.characters) + "/CIDToGIDMap/Identity>>");
    const int flags = 4 | (m.fixedPitch ? 1 : 0) | (m.italicAngle != 0 ? 64 : 0);
    file.object(descriptor,
                "<</Type/FontDescriptor/FontName/" + name + "/Flags " + std::to_string(flags) +
                    "/FontBBox[" + std::to_string(thousandths(m.bboxLeft, m.unitsPerEm)) + " " +
                    std::to_string(thousandths(m.bboxBottom, m.unitsPerEm)) + " " +
                    std::to_string(thousandths(m.bboxRight, m.unitsPerEm)) + " " +
                    std::to_string(thousandths(m.bboxTop, m.unitsPerEm)) + "]/ItalicAngle " +
                    std::to_string(m.italicAngle) + "/Ascent " +
                    std::to_string(thousandths(m.winAscent, m.unitsPerEm)) + "/Descent " +
                    std::to_string(-thousandths(m.winDescent, m.unitsPerEm)) + "/CapHeight " +
                    std::to_string(thousandths(m.capHeight, m.unitsPerEm)) +
                    "/StemV 80/FontFile2 " + std::to_string(fontFile) + " 0 R>>");
    std::string subset = subsetOf(face, font.characters);
    file.stream(fontFile, "/Length1 " + std::to_string(subset.size()) + "/Filter/FlateDecode",
                deflateBytes(subset, 6));
    file.stream(toUnicode, "/Filter/FlateDecode", deflateBytes(toUnicodeMap(font.characters), 6));
}

} // namespace marlet
