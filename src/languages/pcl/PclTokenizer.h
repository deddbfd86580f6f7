#pragma once

#include "languages/pcl/PclCommand.h"
#include "render/JobInput.h"

#include <cstdint>
#include <string>

namespace marlet {

/// Cuts the bytes after an escape into PCL commands: two-character sequences, and
/// parameterized ones (a parameter character, a group character, then value fields each
/// closed by a command character, lower case while the sequence goes on). It reads only
/// whole commands; the data a command carries, the PJL lines after a Universal Exit
/// Language and HP-GL/2 blocks are taken through it too.
class PclTokenizer {
public:
    explicit PclTokenizer(JobInput& input) : m_input(input) {}

    /// At the byte after an escape: starts the sequence it begins. False when that byte
    /// begins none (a control code, the end of the job): nothing is taken.
    bool begin();
    /// The next command of the sequence begun; false, with the byte that ends it left in
    /// place, when none follows.
    bool next(PclCommand& command);

    /// Takes the count bytes of data that follow a command (fewer when the job ends first)
    /// and gives back the first keep of them.
    std::string data(std::uint64_t count, std::size_t keep);
    /// Takes the PJL lines that follow a Universal Exit Language.
    void skipJobLanguage();
    /// Takes an HP-GL/2 block up to the escape that ends it (ESC % # A, a Universal Exit
    /// Language or ESC E), which stays for the next sequence.
    void skipPlotterBlock();

private:
    int peek() const;

    JobInput& m_input;
    char m_parameter = 0;
    char m_group = 0;
    bool m_open = false;
};

} // namespace marlet
