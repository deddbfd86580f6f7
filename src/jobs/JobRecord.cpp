#include "JobRecord.h"

#include <charconv>
#include <sstream>

namespace marlet {

namespace {

constexpr const char* StatusNames[] = {"printing", "waiting", "printed", "cancelled", "failed"};

// One value to a line: a backslash and a line end are written escaped.
std::string escaped(const std::string& value) {
    std::string text;
    for (char c : value) {
        if (c == '\\')
            text += "\\\\";
        else if (c == '\n')
            text += "\\n";
        else
            text += c;
    }
    return text;
}

std::string unescaped(const std::string& text) {
    std::string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            value += text[i] == 'n' ? '\n' : text[i];
        } else {
            value += text[i];
        }
    }
    return value;
}

template <typename Number>
bool readNumber(const std::string& text, Number& number) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

const char* statusName(JobStatus status) {
    return StatusNames[static_cast<int>(status)];
}

std::string JobRecord::toText() const {
    std::ostringstream out;
    out << "number=" << number << '\n'
        << "when=" << when << '\n'
        << "source=" << escaped(source) << '\n'
        << "size=" << size << '\n'
        << "pages=" << pages << '\n'
        << "destination=" << escaped(destination) << '\n'
        << "scheme=" << escaped(scheme) << '\n'
        << "codepage=" << escaped(codePage) << '\n'
        << "status=" << statusName(status) << '\n'
        << "message=" << escaped(message) << '\n';
    return out.str();
}

std::optional<JobRecord> JobRecord::parse(const std::string& text) {
    JobRecord record;
    bool hasNumber = false, hasWhen = false, hasStatus = false;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string name = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        if (name == "number")
            hasNumber = readNumber(value, record.number) && record.number > 0;
        else if (name == "when")
            hasWhen = readNumber(value, record.when);
        else if (name == "size")
            readNumber(value, record.size);
        else if (name == "pages")
            readNumber(value, record.pages);
        else if (name == "source")
            record.source = unescaped(value);
        else if (name == "destination")
            record.destination = unescaped(value);
        else if (name == "scheme")
            record.scheme = unescaped(value);
        else if (name == "codepage")
            record.codePage = unescaped(value);
        else if (name == "message")
            record.message = unescaped(value);
        else if (name == "status")
            for (int i = 0; i < static_cast<int>(std::size(StatusNames)); ++i)
                if (value == StatusNames[i]) {
                    record.status = static_cast<JobStatus>(i);
                    hasStatus = true;
                }
    }
    if (!hasNumber || !hasWhen || !hasStatus)
        return std::nullopt;
    return record;
}

} // namespace marlet
