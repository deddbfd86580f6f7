#include "RegArguments.h"

#include "base/Error.h"

#include <map>

namespace marlet {

namespace {

struct CommandShape {
    std::size_t fewest;
    std::size_t most;
};

const std::map<std::string, CommandShape>& commandShapes() {
    static const std::map<std::string, CommandShape> shapes = {
        {"get", {1, 2}},  {"set", {3, 3}},    {"delete", {1, 2}},
        {"list", {0, 1}}, {"export", {1, 2}}, {"import", {1, 1}},
    };
    return shapes;
}

} // namespace

RegArguments RegArguments::parse(const std::vector<std::string>& arguments) {
    RegArguments result;
    std::vector<std::string> positional;
    bool typeGiven = false;
    bool formatGiven = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
            positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            result.help = true;
        } else if (argument == "--registry") {
            if (++i == arguments.size())
                throw UsageError("--registry needs a file name");
            result.registry = arguments[i];
        } else if (argument.starts_with("--registry=")) {
            result.registry = argument.substr(11);
        } else if (argument == "--dword" || argument == "--string") {
            if (typeGiven)
                throw UsageError("give --dword or --string once");
            typeGiven = true;
            result.type = argument == "--dword" ? ValueType::Dword : ValueType::String;
        } else if (argument == "--regedit4" || argument == "--v5") {
            if (formatGiven)
                throw UsageError("give --regedit4 or --v5 once");
            formatGiven = true;
            result.format = argument == "--v5" ? RegFormat::Version5 : RegFormat::Regedit4;
        } else {
            throw UsageError("unknown option '" + argument + "'");
        }
    }
    if (result.help)
        return result;
    if (positional.empty())
        throw UsageError("no command given");

    result.command = positional.front();
    result.operands.assign(positional.begin() + 1, positional.end());
    auto shape = commandShapes().find(result.command);
    if (shape == commandShapes().end())
        throw UsageError("unknown command '" + result.command + "'");
    if (result.operands.size() < shape->second.fewest ||
        result.operands.size() > shape->second.most)
        throw UsageError("wrong number of operands for " + result.command);
    if (typeGiven && result.command != "set")
        throw UsageError("--dword and --string go with set only");
    if (formatGiven && result.command != "export")
        throw UsageError("--regedit4 and --v5 go with export only");
    return result;
}

const char* regUsage() {
    return R"(Usage: marlet-reg [--registry PATH] COMMAND ...
Reads and writes Marlet's settings store, and imports and exports .reg files.

Commands:
  get KEY [NAME]          print the value NAME of KEY; without NAME, every value of KEY
                          in the order they were made, one a line: NAME<TAB>dword<TAB>N
                          or NAME<TAB>string<TAB>TEXT
  set [--dword|--string] KEY NAME VALUE
                          store VALUE under NAME in KEY, creating the key
  delete KEY [NAME]       remove the value NAME, or without NAME the key and all below it
  list [KEY]              print the subkeys of KEY, sorted, one a line
  export [--regedit4|--v5] FILE|- [KEY]
                          write KEY and all below it as a .reg file (- : standard output);
                          --v5 (the default) is "Windows Registry Editor Version 5.00",
                          UTF-16LE; --regedit4 is the single-byte REGEDIT4 form
  import FILE|-           read a .reg file of either form (- : standard input); a file
                          with any bad line is refused whole

KEY: a KEY starting with "\" (or HKEY_LOCAL_MACHINE\, HKLM\) is a full path such as
  \SOFTWARE\Tuvo\Marlet\Sequences\Epson; any other KEY is relative to
  \SOFTWARE\Tuvo\Marlet, so "Sequences\Epson" is the same key, and "." is
  \SOFTWARE\Tuvo\Marlet itself (the default for list and export). Names match without
  regard to case. The empty NAME "" is the key's default value.

VALUE: with --dword a number 0 to 4294967295, decimal or 0x hexadecimal; with --string
  bytes, where \e is ESC, \r \n \t \f are CR LF TAB FF, \\ is a backslash and \xHH any
  byte (a string cannot hold the zero byte). Without either, VALUE takes the type of the
  value it replaces, else the type Marlet reads that setting with (TimeOut, AutoPrint,
  ... as dword; Spool, FontName, Language, CodePage, InitStr as string), else string.
  get prints strings in the same notation. Put -- before a VALUE starting with "-".

Options:
  --registry PATH         the settings database (default: $MARLET_REGISTRY, else
                          $XDG_CONFIG_HOME/marlet/registry.db, else
                          ~/.config/marlet/registry.db)
  -h, --help              show this text

Exit status: 0 success, 1 failure (message on standard error), 2 bad usage.
)";
}

} // namespace marlet
