#pragma once

#include <cstddef>
#include <string>

namespace marlet::bench {

/// A warehouse report as a DOS accounting program prints it: CP866 text with Cyrillic and
/// Latin names and numbers, tables framed with box-drawing bytes, CR LF line ends and a
/// form feed after every page. The same size always gives the same bytes.
class ReportGenerator {
public:
    /// Whether the report switches type styles as an Epson-driving program does: bold and
    /// italic rows, a condensed total line and a wide title, every few lines; and whether
    /// every fourth row also carries a 24-pin bit-image stamp beside it and switches between
    /// binary and standard line spacing.
    explicit ReportGenerator(bool escapes = false, bool graphics = false)
        : m_escapes(escapes || graphics), m_graphics(graphics) {}

    /// Pages until the report holds at least that many bytes.
    std::string generate(std::size_t bytes);

    /// Pages in the last generated report.
    int pages() const { return m_pages; }

private:
    void page(std::string& out);
    unsigned next();

    std::string stamp() const;

    bool m_escapes = false;
    bool m_graphics = false;
    unsigned m_state = 1997;
    int m_pages = 0;
    int m_row = 0;
};

} // namespace marlet::bench
