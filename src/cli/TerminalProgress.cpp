#include "TerminalProgress.h"

#include <string>
#include <unistd.h>

namespace marlet {

namespace {

constexpr int Frames = 16;

} // namespace

TerminalProgress::TerminalProgress(std::FILE* stream)
    : m_stream(stream), m_terminal(isatty(fileno(stream)) == 1) {
}

void TerminalProgress::showFrame(int frame) {
    if (!m_terminal)
        return;
    // Frame k stands for about k sixteenths done.
    std::string bar(static_cast<std::size_t>(frame), '#');
    bar.resize(Frames - 1, '.');
    std::fprintf(m_stream, "\rprinting [%s] %3d%%", bar.c_str(), frame * 100 / (Frames - 1));
    std::fflush(m_stream);
    m_shown = true;
}

void TerminalProgress::restoreIcon() {
    if (!m_shown)
        return;
    std::fputs("\r\033[K", m_stream);
    std::fflush(m_stream);
    m_shown = false;
}

} // namespace marlet
