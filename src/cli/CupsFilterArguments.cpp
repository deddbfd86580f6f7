#include "CupsFilterArguments.h"

#include "base/Error.h"
#include "base/IntegerText.h"

#include <cctype>
#include <limits>

namespace marlet {

namespace {

// As many copies as CUPS lets a job ask for by default.
constexpr int MaxCopies = 9999;

std::string lowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

int number(const char* what, const std::string& text, int least, int most) {
    try {
        int value = parseInteger(text);
        if (value >= least && value <= most)
            return value;
    } catch (const Error&) {
    }
    throw UsageError(std::string(what) + " must be a number from " + std::to_string(least) +
                     " to " + std::to_string(most) + ", not '" + text + "'");
}

} // namespace

CupsFilterArguments CupsFilterArguments::parse(const std::vector<std::string>& arguments) {
    if (arguments.size() != 5 && arguments.size() != 6)
        throw UsageError("CUPS runs a filter with five or six arguments, not " +
                         std::to_string(arguments.size()) +
                         ": marlet-cups-filter job-id user title copies options [file]");
    CupsFilterArguments result;
    result.jobId = number("the job id", arguments[0], 1, std::numeric_limits<int>::max());
    result.user = arguments[1];
    result.title = arguments[2];
    result.copies = number("the number of copies", arguments[3], 1, MaxCopies);
    result.options = parseCupsOptions(arguments[4]);
    if (arguments.size() == 6)
        result.file = arguments[5];
    return result;
}

CupsOptions parseCupsOptions(const std::string& text) {
    CupsOptions options;
    std::size_t i = 0;
    auto atSpace = [&] { return std::isspace(static_cast<unsigned char>(text[i])) != 0; };
    while (i < text.size()) {
        if (atSpace()) {
            ++i;
            continue;
        }
        std::string name;
        while (i < text.size() && !atSpace() && text[i] != '=')
            name += text[i++];
        if (i >= text.size() || text[i] != '=') {
            // A switch: "landscape" is on, "nolandscape" off.
            std::string folded = lowerCase(name);
            if (folded.size() > 2 && folded.starts_with("no"))
                options[folded.substr(2)] = "false";
            else
                options[folded] = "true";
            continue;
        }
        ++i;
        std::string value;
        char quote = 0;
        for (; i < text.size() && (quote || !atSpace()); ++i) {
            char c = text[i];
            if (c == '\\' && i + 1 < text.size()) {
                value += text[++i];
            } else if (quote && c == quote) {
                quote = 0;
            } else if (!quote && (c == '\'' || c == '"')) {
                quote = c;
            } else {
                value += c;
            }
        }
        if (quote)
            throw UsageError("the value of option '" + name + "' has no closing " +
                             std::string(1, quote));
        options[lowerCase(name)] = value;
    }
    return options;
}

} // namespace marlet
