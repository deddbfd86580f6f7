#include "PdfFontSet.h"

#include "Deflater.h"
#include "base/Error.h"

#include <hb-subset.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace marlet {

namespace {

// A code is any byte that a literal string holds as it stands: parentheses and the
// backslash would need escaping, and a bare carriage return is read back as a line feed.
constexpr bool holdsAsItStands(int byte) {
    return byte != '(' && byte != ')' && byte != '\\' && byte != '\r';
}

constexpr int CodesPerFont = 252;

// The byte of the index-th code a font gives, so that the codes of a page run in order.
constexpr std::array<char, CodesPerFont> codeBytes() {
    std::array<char, CodesPerFont> bytes{};
    std::size_t next = 0;
    for (int byte = 0; byte < 256; ++byte) {
        if (holdsAsItStands(byte))
            bytes[next++] = static_cast<char>(byte);
    }
    return bytes;
}

constexpr std::array<char, CodesPerFont> CodeBytes = codeBytes();
static_assert(CodeBytes.back() == '\xFF');

std::string subsetOf(const FontFace& face, const std::vector<std::uint16_t>& glyphs) {
    hb_blob_t* blob =
        hb_blob_create(face.fileBytes().data(), static_cast<unsigned>(face.fileBytes().size()),
                       HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* whole = hb_face_create(blob, static_cast<unsigned>(face.faceIndex()));
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    if (!input)
        throw Error("Out of memory");
    hb_set_t* set = hb_subset_input_glyph_set(input);
    hb_set_add(set, 0);
    for (std::uint16_t glyph : glyphs)
        hb_set_add(set, glyph);
    // The code maps name glyphs by their ids in the whole face: the subset keeps them.
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
std::string subsetTag(const std::vector<std::uint16_t>& glyphs) {
    std::uint32_t hash = 2166136261u;
    for (std::uint16_t glyph : glyphs)
        hash = (hash ^ glyph) * 16777619u;
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

std::string hex(unsigned value, int digits) {
    char text[8];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string codeHex(std::size_t index) {
    return hex(static_cast<unsigned char>(CodeBytes[index]), 2);
}

// The font's codes in blocks of at most a hundred entries, as a CMap wants them.
template <typename Entry>
std::string codeEntries(std::size_t count, const char* kind, Entry&& entry) {
    std::string entries;
    for (std::size_t start = 0; start < count; start += 100) {
        const std::size_t end = std::min(count, start + 100);
        entries += std::to_string(end - start) + " begin" + kind + "\n";
        for (std::size_t index = start; index < end; ++index)
            entries += "<" + codeHex(index) + ">" + entry(index) + "\n";
        entries += std::string("end") + kind + "\n";
    }
    return entries;
}

const char* const CodeSpace = "1 begincodespacerange\n<00><FF>\nendcodespacerange\n";
const char* const CMapEnd = "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend";

// One-byte codes to the glyph ids of the face, which are the font's CIDs.
std::string codeMap(const std::string& name, const std::vector<std::uint16_t>& glyphs) {
    return "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
           "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>def\n"
           "/CMapName/" +
           name + " def\n/CMapType 1 def\n" + CodeSpace +
           codeEntries(glyphs.size(), "cidchar",
                       [&](std::size_t index) { return " " + std::to_string(glyphs[index]); }) +
           CMapEnd;
}

std::string toUnicodeMap(const std::vector<char16_t>& characters) {
    return "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
           "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
           "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n" +
           std::string(CodeSpace) +
           codeEntries(characters.size(), "bfchar",
                       [&](std::size_t index) { return "<" + hex(characters[index], 4) + ">"; }) +
           CMapEnd;
}

std::string widthArray(const FontFace& face, const std::vector<std::uint16_t>& sortedGlyphs) {
    const int unitsPerEm = face.metrics().unitsPerEm;
    std::string widths = "[";
    for (std::size_t at = 0; at < sortedGlyphs.size();) {
        widths += std::to_string(sortedGlyphs[at]) + "[";
        std::uint16_t next = sortedGlyphs[at];
        while (at < sortedGlyphs.size() && sortedGlyphs[at] == next) {
            widths += advanceWidth(face.advance(next), unitsPerEm) + " ";
            ++at;
            ++next;
        }
        widths.back() = ']';
    }
    return widths + "]";
}

} // namespace

int PdfFontSet::use(const std::shared_ptr<const FontFace>& face) {
    for (std::size_t i = 0; i < m_faces.size(); ++i) {
        if (m_faces[i].face == face)
            return static_cast<int>(i);
    }
    Face added;
    added.face = face;
    added.codes.assign(static_cast<std::size_t>(std::max(1, face->glyphCount())), 0);
    m_faces.push_back(std::move(added));
    return static_cast<int>(m_faces.size() - 1);
}

GlyphCode PdfFontSet::assign(int face, std::uint16_t glyph, char16_t character, PdfFile& file) {
    Face& owner = m_faces[static_cast<std::size_t>(face)];
    if (owner.filling < 0 ||
        m_fonts[static_cast<std::size_t>(owner.filling)].glyphs.size() == CodesPerFont) {
        Font font;
        font.face = face;
        font.number = file.reserve();
        m_fonts.push_back(std::move(font));
        owner.filling = static_cast<int>(m_fonts.size() - 1);
    }
    Font& font = m_fonts[static_cast<std::size_t>(owner.filling)];
    const GlyphCode code{owner.filling, CodeBytes[font.glyphs.size()]};
    font.glyphs.push_back(glyph);
    font.characters.push_back(character);
    owner.codes[glyph] =
        static_cast<std::uint32_t>(code.font + 1) << 8 | static_cast<unsigned char>(code.code);
    return code;
}

void PdfFontSet::write(PdfFile& file) const {
    // One compressor for every stream: making one sets up tables the size of a font file.
    Deflater deflater(Deflater::StreamLevel);
    for (const Font& font : m_fonts)
        writeFont(file, font, deflater);
}

void PdfFontSet::writeFont(PdfFile& file, const Font& font, Deflater& deflater) const {
    const FontFace& face = *m_faces[static_cast<std::size_t>(font.face)].face;
    const FaceMetrics& m = face.metrics();
    std::vector<std::uint16_t> sortedGlyphs = font.glyphs;
    std::sort(sortedGlyphs.begin(), sortedGlyphs.end());
    const std::string name = subsetTag(sortedGlyphs) + "+" + face.postScriptName();
    const int descendant = file.reserve();
    const int descriptor = file.reserve();
    const int fontFile = file.reserve();
    const int encoding = file.reserve();
    const int toUnicode = file.reserve();

    const std::string codesName = name + "-Codes";
    file.object(font.number, "<</Type/Font/Subtype/Type0/BaseFont/" + name + "/Encoding " +
                                 std::to_string(encoding) + " 0 R/DescendantFonts[" +
                                 std::to_string(descendant) + " 0 R]/ToUnicode " +
                                 std::to_string(toUnicode) + " 0 R>>");
    file.object(descendant, "<</Type/Font/Subtype/CIDFontType2/BaseFont/" + name +
                                "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>"
                                "/FontDescriptor " +
                                std::to_string(descriptor) + " 0 R/DW " +
                                std::to_string(thousandths(m.averageWidth, m.unitsPerEm)) + "/W" +
                                widthArray(face, sortedGlyphs) + "/CIDToGIDMap/Identity>>");
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
    std::string subset = subsetOf(face, sortedGlyphs);
    file.stream(fontFile, "/Length1 " + std::to_string(subset.size()) + "/Filter/FlateDecode",
                deflater.compress(subset));
    file.stream(encoding,
                "/Type/CMap/CMapName/" + codesName +
                    "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>"
                    "/Filter/FlateDecode",
                deflater.compress(codeMap(codesName, font.glyphs)));
    file.stream(toUnicode, "/Filter/FlateDecode", deflater.compress(toUnicodeMap(font.characters)));
}

} // namespace marlet
