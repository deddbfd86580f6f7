#pragma once

#include "render/ProgressDisplay.h"

#include <cstdio>

namespace marlet {

/// A progress bar on a terminal's last line, drawn in place and wiped at the end of the
/// job; silent when the stream is not a terminal.
class TerminalProgress final : public ProgressDisplay {
public:
    explicit TerminalProgress(std::FILE* stream);

    void showFrame(int frame) override;
    void restoreIcon() override;

private:
    std::FILE* m_stream;
    bool m_terminal;
    bool m_shown = false;
};

} // namespace marlet
