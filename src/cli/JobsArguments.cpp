#include "JobsArguments.h"

#include "base/Error.h"

#include <charconv>

namespace marlet {

namespace {

struct CommandName {
    const char* name;
    JobsArguments::Command command;
    bool takesJob;
};

constexpr CommandName Commands[] = {
    {"list", JobsArguments::Command::List, false},
    {"show", JobsArguments::Command::Show, true},
    {"print", JobsArguments::Command::Print, true},
    {"dump", JobsArguments::Command::Dump, true},
    {"rm", JobsArguments::Command::Remove, true},
    {"cancel", JobsArguments::Command::Cancel, false},
};

int jobNumber(const std::string& text) {
    int number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number <= 0)
        throw UsageError("a job is named by its number, not '" + text + "'");
    return number;
}

} // namespace

JobsArguments JobsArguments::parse(const std::vector<std::string>& arguments) {
    JobsArguments parsed;
    std::size_t i = 0;
    auto value = [&](const std::string& option) -> std::string {
        if (i + 1 >= arguments.size())
            throw UsageError(option + " needs a value");
        return arguments[++i];
    };
    for (; i < arguments.size() && arguments[i].starts_with("-"); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" || argument == "--help")
            parsed.help = true;
        else if (argument == "--history")
            parsed.history = value(argument);
        else if (argument == "--registry")
            parsed.registry = value(argument);
        else if (argument == "--data-dir")
            parsed.dataDir = value(argument);
        else
            throw UsageError("unknown option '" + argument + "'");
    }
    if (i == arguments.size())
        return parsed;
    const CommandName* found = nullptr;
    for (const CommandName& command : Commands)
        if (arguments[i] == command.name)
            found = &command;
    if (!found)
        throw UsageError("unknown command '" + arguments[i] + "'");
    parsed.command = found->command;
    if (found->takesJob) {
        if (++i == arguments.size())
            throw UsageError(std::string(found->name) + " needs a job number");
        parsed.job = jobNumber(arguments[i]);
    }
    parsed.options.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
    if (parsed.command == Command::Dump) {
        for (std::size_t k = 0; k < parsed.options.size(); k += 2)
            if (parsed.options[k] != "--set" || k + 1 == parsed.options.size())
                throw UsageError("dump takes --set Sequence=NAME and --set CodePage=N only");
    } else if (parsed.command != Command::Print && !parsed.options.empty()) {
        throw UsageError("unexpected argument '" + parsed.options.front() + "'");
    }
    return parsed;
}

const char* jobsUsage() {
    return "Usage: marlet-jobs [--history DIR] [--registry PATH] [--data-dir DIR] COMMAND\n"
           "Lists and handles the jobs the resident app kept.\n"
           "\n"
           "  list                  every kept job: number, time, state, pages, size, where\n"
           "  show N                job N's record\n"
           "  print N [OPTIONS]     prints job N again with today's settings; OPTIONS as for\n"
           "                        marlet-print (-P QUEUE, -o FILE, --set NAME=VALUE, ...)\n"
           "  dump N [--set Sequence=NAME] [--set CodePage=N]\n"
           "                        job N's bytes as hex and text, each escape sequence and\n"
           "                        control code marked with what the interpreter makes of it\n"
           "  rm N                  deletes job N\n"
           "  cancel                stops the job the resident app prints before its next page\n"
           "\n"
           "      --history DIR      the kept jobs (default $XDG_STATE_HOME/marlet/jobs)\n"
           "      --registry PATH    the settings store (default: $MARLET_REGISTRY or\n"
           "                         ~/.config/marlet/registry.db)\n"
           "      --data-dir DIR     where code pages and language files are\n"
           "  -h, --help             show this help\n"
           "      --version          show the version\n";
}

} // namespace marlet
