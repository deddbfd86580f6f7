#pragma once

#include "DeflatePool.h"
#include "PdfFile.h"
#include "PdfFontSet.h"
#include "render/BitImage.h"

#include <cstdio>
#include <string>
#include <vector>

namespace marlet {

/// One PDF file of finished pages. Pages are compressed on the spare cores as they come and
/// written in order, so that memory stays flat and the output is the same for the same
/// input; fonts, the page tree and the cross-reference table follow at finish().
class PdfWriter {
public:
    /// Writes onto out, which the caller closes after finish(); pages are compressed on
    /// threads workers.
    PdfWriter(std::FILE* out, std::string title, int threads = DeflatePool::spareCores());
    ~PdfWriter();
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    /// The file's number for a face.
    int font(const std::shared_ptr<const FontFace>& face) { return m_fonts.use(face); }
    /// How page text names a glyph of a face that prints a character.
    GlyphCode code(int face, std::uint16_t glyph, char16_t character) {
        return m_fonts.code(face, glyph, character, m_file);
    }
    /// Queues a finished page of the given size in points, using the given fonts and the
    /// images its content paints by their resource names (PdfImageMask).
    void addPage(double width, double height, std::string_view content,
                 const std::vector<int>& fonts, std::vector<BitImage> images = {});
    /// Completes the file; fails with "Cannot write file" when a write did not get through.
    void finish();

private:
    struct Page {
        int contents = 0;
        int page = 0;
        double width = 0;
        double height = 0;
        std::string fonts; // the page's font resources, made while the font set stands still
        std::vector<BitImage> images;
        std::vector<int> imageNumbers;
    };
    void writePage(const Page& page, std::string_view deflated);

    PdfFile m_file;
    PdfFontSet m_fonts;
    std::string m_title;
    const int m_catalog;
    const int m_pages;
    const int m_info;
    std::vector<int> m_pageNumbers;
    bool m_finished = false;
    // Last, so that its workers stop before anything they write to goes.
    DeflatePool m_pool;
};

} // namespace marlet
