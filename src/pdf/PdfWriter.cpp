#include "PdfWriter.h"

#include "PdfImageMask.h"
#include "base/Error.h"

#include <charconv>

namespace marlet {

namespace {

// Pages waiting for the worker; past this the printing side waits, so memory stays flat.
constexpr std::size_t MaxQueuedPages = 8;

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

PdfWriter::PdfWriter(std::FILE* out, std::string title)
    : m_file(out), m_title(std::move(title)), m_catalog(m_file.reserve()),
      m_pages(m_file.reserve()), m_info(m_file.reserve()), m_worker([this] { work(); }) {
}

PdfWriter::~PdfWriter() {
    stopWorker();
}

void PdfWriter::addPage(double width, double height, std::string content, std::vector<int> fonts,
                        std::vector<BitImage> images) {
    Page page;
    page.contents = m_file.reserve();
    page.page = m_file.reserve();
    page.width = width;
    page.height = height;
    page.content = std::move(content);
    for (int font : fonts)
        page.fonts += "/" + m_fonts.resourceName(font) + " " +
                      std::to_string(m_fonts.objectNumber(font)) + " 0 R";
    for (std::size_t i = 0; i < images.size(); ++i)
        page.imageNumbers.push_back(m_file.reserve());
    page.images = std::move(images);
    m_pageNumbers.push_back(page.page);
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < MaxQueuedPages; });
    m_queue.push_back(std::move(page));
    m_changed.notify_all();
}

void PdfWriter::work() {
    for (;;) {
        Page page;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            page = std::move(m_queue.front());
        }
        writePage(page);
        std::lock_guard lock(m_mutex);
        m_queue.pop_front();
        m_changed.notify_all();
    }
}

void PdfWriter::writePage(const Page& page) {
    m_file.stream(page.contents, "/Filter/FlateDecode", deflateBytes(page.content, 6));
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

void PdfWriter::stopWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_changed.notify_all();
    }
    if (m_worker.joinable())
        m_worker.join();
}

void PdfWriter::finish() {
    if (m_finished)
        return;
    m_finished = true;
    stopWorker();
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
