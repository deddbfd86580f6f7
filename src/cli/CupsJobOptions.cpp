#include "CupsJobOptions.h"

#include "base/Error.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>
#include <utility>

namespace marlet {

namespace {

using Choice = std::pair<const char*, const char*>;

// The PPD's choice keywords for the ready-made schemes, and the schemes they name.
constexpr std::array SchemeChoices{
    Choice{"Default", "Default"},
    Choice{"None", "No sequences"},
    Choice{"EpsonESCP", "Epson ESC-P 9-pin"},
    Choice{"EpsonESCP2", "Epson ESC-P2 24-pin"},
    Choice{"Proprinter", "IBM Proprinter"},
    Choice{"PCL", "HP PCL"},
};

// Faces whose names hold spaces, which a PPD keyword cannot.
constexpr std::array FaceChoices{
    Choice{"CourierNew", "Courier New"},
    Choice{"LiberationMono", "Liberation Mono"},
    Choice{"DejaVuSansMono", "DejaVu Sans Mono"},
};

constexpr std::array SwitchChoices{
    Choice{"true", "1"},  Choice{"on", "1"},  Choice{"yes", "1"},
    Choice{"false", "0"}, Choice{"off", "0"}, Choice{"no", "0"},
};

constexpr std::array OrientationChoices{Choice{"portrait", "0"}, Choice{"landscape", "1"}};

// IPP's orientation-requested: 3 portrait, 4 landscape, 5 reverse landscape, 6 reverse
// portrait; a DOS page turns one way only.
constexpr std::array IppOrientations{Choice{"3", "0"}, Choice{"4", "1"}, Choice{"5", "1"},
                                     Choice{"6", "0"}};

// The sheets of the PPD, by their PPD, media and PWG names.
constexpr std::array Sheets{
    Choice{"a4", "A4"},
    Choice{"iso_a4_210x297mm", "A4"},
    Choice{"letter", "Letter"},
    Choice{"na_letter_8.5x11in", "Letter"},
};

// The PPD's option names, as CUPS hands them to the filter folded to lower case.
constexpr std::array PpdOptions{"MarletScheme",      "MarletCodePage", "MarletFace", "MarletSize",
                                "MarletOrientation", "MarletLineWrap", "PageSize"};

std::string lowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

template <std::size_t N>
const char* lookUp(const std::array<Choice, N>& choices, const std::string& value) {
    const std::string folded = lowerCase(value);
    for (const Choice& choice : choices) {
        if (lowerCase(choice.first) == folded)
            return choice.second;
    }
    return nullptr;
}

template <std::size_t N>
const char* required(const std::array<Choice, N>& choices, const std::string& option,
                     const std::string& value) {
    if (const char* meaning = lookUp(choices, value))
        return meaning;
    std::string taken;
    for (const Choice& choice : choices)
        taken += (taken.empty() ? "" : ", ") + std::string(choice.first);
    throw UsageError("option " + option + " takes " + taken + ", not '" + value + "'");
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

void CupsJobOptions::readPpdDefaults(std::istream& ppd) {
    std::string line;
    while (std::getline(ppd, line)) {
        if (!line.starts_with("*Default"))
            continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string name = line.substr(8, colon - 8);
        if (std::find(PpdOptions.begin(), PpdOptions.end(), name) != PpdOptions.end())
            m_options[lowerCase(name)] = trimmed(line.substr(colon + 1));
    }
}

void CupsJobOptions::take(const CupsOptions& options) {
    for (const auto& [name, value] : options)
        m_options[name] = value;
}

void CupsJobOptions::addSetting(std::vector<std::string>& arguments, const std::string& option,
                                const std::string& setting) const {
    auto found = m_options.find(lowerCase(option));
    if (found == m_options.end() || lowerCase(found->second) == "stored")
        return;
    const std::string& value = found->second;
    std::string meaning = value;
    if (option == "MarletScheme") {
        if (const char* scheme = lookUp(SchemeChoices, value))
            meaning = scheme;
    } else if (option == "MarletFace") {
        if (const char* face = lookUp(FaceChoices, value))
            meaning = face;
    } else if (option == "MarletOrientation") {
        meaning = required(OrientationChoices, option, value);
    } else if (option == "MarletLineWrap") {
        meaning = required(SwitchChoices, option, value);
    }
    arguments.insert(arguments.end(), {"--set", setting + "=" + meaning});
}

std::vector<std::string> CupsJobOptions::printArguments() const {
    std::vector<std::string> arguments;
    addSetting(arguments, "MarletScheme", "Sequence");
    addSetting(arguments, "MarletCodePage", "CodePage");
    addSetting(arguments, "MarletFace", "FontName");
    addSetting(arguments, "MarletSize", "FontSize");
    addSetting(arguments, "MarletOrientation", "Orientation");
    addSetting(arguments, "MarletLineWrap", "LineWrap");
    // The standard choices of lp win over the queue's default orientation.
    if (auto found = m_options.find("orientation-requested"); found != m_options.end())
        arguments.insert(
            arguments.end(),
            {"--set", std::string("Orientation=") +
                          required(IppOrientations, "orientation-requested", found->second)});
    if (auto found = m_options.find("landscape"); found != m_options.end())
        arguments.insert(arguments.end(),
                         {"--set", std::string("Orientation=") +
                                       required(SwitchChoices, "landscape", found->second)});
    // A sheet the PPD does not offer (a custom media size) keeps the PDF printer's A4.
    for (const char* option : {"pagesize", "media"}) {
        auto found = m_options.find(option);
        if (found == m_options.end())
            continue;
        // media may list a size among a source and a type: "A4,Tray1".
        std::istringstream names(found->second);
        for (std::string name; std::getline(names, name, ',');) {
            if (const char* sheet = lookUp(Sheets, name))
                arguments.insert(arguments.end(), {"--paper", sheet});
        }
    }
    return arguments;
}

} // namespace marlet
