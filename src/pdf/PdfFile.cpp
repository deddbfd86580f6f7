#include "PdfFile.h"

#include "Deflater.h"

namespace marlet {

PdfFile::PdfFile(std::FILE* out) : m_out(out) {
    // The binary comment tells transfer programs that the file is not text.
    write("%PDF-1.5\n%\xE2\xE3\xCF\xD3\n");
}

void PdfFile::write(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_out) != bytes.size())
        m_good = false;
    m_offset += bytes.size();
}

void PdfFile::object(int number, std::string_view body) {
    if (static_cast<std::size_t>(number) >= m_offsets.size())
        m_offsets.resize(static_cast<std::size_t>(number) + 1, 0);
    m_offsets[static_cast<std::size_t>(number)] = m_offset;
    write(std::to_string(number));
    write(" 0 obj\n");
    write(body);
    write("\nendobj\n");
}

void PdfFile::stream(int number, std::string_view extraEntries, std::string_view data) {
    std::string head = "<</Length " + std::to_string(data.size());
    head += extraEntries;
    head += ">>\nstream\n";
    if (static_cast<std::size_t>(number) >= m_offsets.size())
        m_offsets.resize(static_cast<std::size_t>(number) + 1, 0);
    m_offsets[static_cast<std::size_t>(number)] = m_offset;
    write(std::to_string(number));
    write(" 0 obj\n");
    write(head);
    write(data);
    write("\nendstream\nendobj\n");
}

void PdfFile::finish(int catalog, int info) {
    m_offsets.resize(static_cast<std::size_t>(m_nextNumber.load()), 0);
    const std::uint64_t xref = m_offset;
    std::string table = "xref\n0 " + std::to_string(m_offsets.size()) + "\n0000000000 65535 f \n";
    char entry[24];
    for (std::size_t i = 1; i < m_offsets.size(); ++i) {
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n",
                      static_cast<unsigned long long>(m_offsets[i]));
        table += entry;
    }
    table += "trailer\n<</Size " + std::to_string(m_offsets.size()) + "/Root " +
             std::to_string(catalog) + " 0 R/Info " + std::to_string(info) + " 0 R>>\nstartxref\n" +
             std::to_string(xref) + "\n%%EOF\n";
    write(table);
    if (std::fflush(m_out) != 0)
        m_good = false;
}

std::string deflateBytes(std::string_view data, int level) {
    return Deflater(level).compress(data);
}

} // namespace marlet
