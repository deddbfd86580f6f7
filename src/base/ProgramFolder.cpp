#include "ProgramFolder.h"

namespace marlet {

std::filesystem::path programFolder() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

} // namespace marlet
