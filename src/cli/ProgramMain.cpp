#include "ProgramMain.h"

namespace marlet {

namespace {

const char* runningProgram = "marlet";
std::string messagePrefix;

} // namespace

int runProgram(const ProgramInfo& program, const std::function<int()>& work) {
    runningProgram = program.name;
    try {
        return work();
    } catch (const UsageError& e) {
        std::fprintf(stderr, "%s: %s\n%s", program.name, e.what(), program.usage);
        return 2;
    } catch (const std::exception& e) {
        tellUser(e.what());
        return 1;
    }
}

void tellUser(const std::string& text) {
    if (messagePrefix.empty())
        std::fprintf(stderr, "%s: %s\n", runningProgram, text.c_str());
    else
        std::fprintf(stderr, "%s%s\n", messagePrefix.c_str(), text.c_str());
}

void setUserMessagePrefix(std::string prefix) {
    messagePrefix = std::move(prefix);
}

bool answerVersion(const ProgramInfo& program, const std::vector<std::string>& arguments) {
    // Only in front: later on, "--version" may be the value of another option.
    if (arguments.empty() || arguments.front() != "--version")
        return false;
    std::printf("%s %s\n", program.name, MARLET_VERSION);
    return true;
}

} // namespace marlet
