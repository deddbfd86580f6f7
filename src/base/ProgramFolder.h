#pragma once

#include <filesystem>

namespace marlet {

/// The folder that holds the running program's file, where the programs installed beside
/// it are; empty when the system does not say.
std::filesystem::path programFolder();

} // namespace marlet
