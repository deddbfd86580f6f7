#include "JobTrailer.h"

#include <cctype>
#include <string_view>

namespace marlet {

namespace {

constexpr std::string_view Exit = "\x1B%-12345X";
constexpr std::string_view PjlPrefix = "@PJL";

std::string_view text(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// "@PJL EOJ" with anything after it: the prefix is upper case, the command any case.
bool isEndOfJobLine(std::string_view line) {
    if (!line.starts_with(PjlPrefix))
        return false;
    line.remove_prefix(PjlPrefix.size());
    if (line.empty() || !isBlank(line.front()))
        return false;
    while (!line.empty() && isBlank(line.front()))
        line.remove_prefix(1);
    if (line.size() < 3)
        return false;
    for (std::size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(line[i])) != "EOJ"[i])
            return false;
    return line.size() == 3 || !std::isalnum(static_cast<unsigned char>(line[3]));
}

// Whether rest ends with a line, ended by LF or CR LF, that is a PJL end of job.
bool endsWithEndOfJobLine(std::string_view rest) {
    if (!rest.ends_with('\n'))
        return false;
    rest.remove_suffix(1);
    if (rest.ends_with('\r'))
        rest.remove_suffix(1);
    std::size_t start = rest.find_last_of('\n');
    std::string_view line = start == std::string_view::npos ? rest : rest.substr(start + 1);
    // PJL begins right after an exit, which ends the language data without a line end.
    if (std::size_t exit = line.rfind(Exit); exit != std::string_view::npos)
        line.remove_prefix(exit + Exit.size());
    return isEndOfJobLine(line);
}

} // namespace

bool JobTrailer::endsJob(std::span<const std::uint8_t> tail, bool wholeFile) {
    std::string_view rest = text(tail);
    bool exited = false;
    while (rest.ends_with(Exit)) {
        rest.remove_suffix(Exit.size());
        exited = true;
    }
    if (endsWithEndOfJobLine(rest))
        return true;
    // A bare exit ends the job that came before it; one at the very start begins a job.
    return exited && !(wholeFile && rest.empty());
}

} // namespace marlet
