#include "ProgramMain.h"

namespace marlet {

int runProgram(const ProgramInfo& program, const std::function<int()>& work) {
    try {
        return work();
    } catch (const UsageError& e) {
        std::fprintf(stderr, "%s: %s\n%s", program.name, e.what(), program.usage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

} // namespace marlet
