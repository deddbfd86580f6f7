#pragma once

#include "PdfFile.h"
#include "PdfFontSet.h"
#include "render/BitImage.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace marlet {

/// One PDF file of finished pages. Pages are compressed and written on a worker thread as
/// they come, in order, so that memory stays flat and the output is the same for the same
/// input; fonts, the page tree and the cross-reference table follow at finish().
class PdfWriter {
public:
    /// Writes onto out, which the caller closes after finish().
    PdfWriter(std::FILE* out, std::string title);
    ~PdfWriter();
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    /// The file's number for a face.
    int font(const std::shared_ptr<const FontFace>& face) { return m_fonts.use(face, m_file); }
    /// Records that a glyph of a font printed a character.
    void markGlyph(int font, std::uint16_t glyph, char16_t character) {
        m_fonts.markGlyph(font, glyph, character);
    }
    /// Queues a finished page of the given size in points, using the given fonts and the
    /// images its content paints by their resource names (PdfImageMask).
    void addPage(double width, double height, std::string content, std::vector<int> fonts,
                 std::vector<BitImage> images = {});
    /// Completes the file; fails with "Cannot write file" when a write did not get through.
    void finish();

private:
    struct Page {
        int contents = 0;
        int page = 0;
        double width = 0;
        double height = 0;
        std::string content;
        std::string fonts; // the page's font resources, made while the font set stands still
        std::vector<BitImage> images;
        std::vector<int> imageNumbers;
    };
    void work();
    void writePage(const Page& page);
    void stopWorker();

    PdfFile m_file;
    PdfFontSet m_fonts;
    std::string m_title;
    const int m_catalog;
    const int m_pages;
    const int m_info;
    std::vector<int> m_pageNumbers;
    bool m_finished = false;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Page> m_queue;
    bool m_stopping = false;
    std::thread m_worker;
};

} // namespace marlet
