#include "PdfWriter.h"

#include "PdfImageMask.h"
#include "base/Error.h"

#include <charconv>

namespace marlet {

namespace {

std::string points(double value) {
    char text[32];
    auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2).ptr;
    while (end[-1] == '0')
        --end;
    if (end[-1] == '.')
        --end;
    return std::string(text, end);
}

// A PDF literal string; the document titles here are ASCII.
std::string textString(const std::string& text) {
    std::string out = "(";
    for (char c : text) {
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + ")";
}

} // namespace

PdfWriter::PdfWriter(std::FILE* out, std::string title, int threads)
    : m_file(out), m_title(std::move(title)), m_catalog(m_file.reserve()),
      m_pages(m_file.reserve()), m_info(m_file.reserve()), m_pool(Deflater::StreamLevel, threads) {
}

PdfWriter::~PdfWriter() = default;

void PdfWriter::addPage(double width, double height, std::string_view content,
                        const std::vector<int>& fonts, std::vector<BitImage> images) {
    Page page;
    page.contents = m_file.reserve();
    page.page = m_file.reserve();
    page.width = width;
    page.height = height;
    for (int font : fonts)
        page.fonts += "/" + m_fonts.resourceName(font) + " " +
                      std::to_string(m_fonts.objectNumber(font)) + " 0 R";
    for (std::size_t i = 0; i < images.size(); ++i)
        page.imageNumbers.push_back(m_file.reserve());
    page.images = std::move(images);
    m_pageNumbers.push_back(page.page);
    m_pool.submit(content, [this, page = std::move(page)](std::string_view deflated) {
        writePage(page, deflated);
    });
}

void PdfWriter::writePage(const Page& page, std::string_view deflated) {
    m_file.stream(page.contents, "/Filter/FlateDecode", deflated);
    std::string images;
    for (std::size_t i = 0; i < page.images.size(); ++i) {
        PdfImageMask::write(m_file, page.imageNumbers[i], page.images[i]);
        images += "/" + PdfImageMask::resourceName(i) + " " + std::to_string(page.imageNumbers[i]) +
                  " 0 R";
    }
    if (!images.empty())
        images = "/XObject<<" + images + ">>";
    m_file.object(page.page, "<</Type/Page/Parent " + std::to_string(m_pages) +
                                 " 0 R/MediaBox[0 0 " + points(page.width) + " " +
                                 points(page.height) + "]/Resources<</Font<<" + page.fonts + ">>" +
                                 images + ">>/Contents " + std::to_string(page.contents) +
                                 " 0 R>>");
}

void PdfWriter::finish() {
    if (m_finished)
        return;
    m_finished = true;
    m_pool.finish();
    m_fonts.write(m_file);
    std::string kids;
    for (int page : m_pageNumbers)
        kids += std::to_string(page) + " 0 R ";
    m_file.object(m_pages, "<</Type/Pages/Kids[" + kids + "]/Count " +
                               std::to_string(m_pageNumbers.size()) + ">>");
    m_file.object(m_catalog, "<</Type/Catalog/Pages " + std::to_string(m_pages) + " 0 R>>");
    m_file.object(m_info, "<</Title" + textString(m_title) + "/Producer(Marlet)>>");
    m_file.finish(m_catalog, m_info);
    if (!m_file.good())
        throw Error("Cannot write file");
}

} // namespace marlet
