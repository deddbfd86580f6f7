#pragma once

#include "config/RegFileWriter.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace marlet {

/// How `set` stores its value.
enum class ValueType { Automatic, Dword, String };

/// What marlet-reg was asked to do.
struct RegArguments {
    std::optional<std::string> registry;
    std::string command;
    std::vector<std::string> operands;
    ValueType type = ValueType::Automatic;
    RegFormat format = RegFormat::Version5;
    bool help = false;

    /// Reads the arguments (without the program name); checks the command and how many
    /// operands it takes, and that each option belongs to it.
    static RegArguments parse(const std::vector<std::string>& arguments);
    /// Whether the command only reads the store (get, list, export).
    bool readsOnly() const { return command == "get" || command == "list" || command == "export"; }
};

/// The usage text of marlet-reg.
const char* regUsage();

} // namespace marlet
