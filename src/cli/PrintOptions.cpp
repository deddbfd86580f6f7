#include "PrintOptions.h"

#include "base/Error.h"
#include "base/IntegerText.h"
#include "base/Rounding.h"
#include "config/SettingValues.h"
#include "devices/OutputFile.h"
#include "render/VirtualPaper.h"

#include <cmath>

namespace marlet {

namespace {

int positiveNumber(const std::string& option, const std::string& text) {
    try {
        int value = parseInteger(text);
        if (value > 0)
            return value;
    } catch (const Error&) {
    }
    throw UsageError(option + " takes a positive number, not '" + text + "'");
}

// A resolution above this draws no finer on any printer and only makes sizes overflow.
constexpr int MaxDpi = 100000;

int dpiNumber(const std::string& option, const std::string& text) {
    int value = positiveNumber(option, text);
    if (value > MaxDpi)
        throw UsageError(option + " takes at most " + std::to_string(MaxDpi) +
                         " dots per inch, not '" + text + "'");
    return value;
}

int nonNegativeNumber(const std::string& option, const std::string& text) {
    try {
        int value = parseInteger(text);
        if (value >= 0)
            return value;
    } catch (const Error&) {
    }
    throw UsageError(option + " takes a number of pixels, not '" + text + "'");
}

// "210x297mm" or "4960x7016px": the portrait sheet in millimetres or pixels.
void readSheetSize(const std::string& text, long double& width, long double& height,
                   bool& millimetres) {
    auto fail = [&] {
        return UsageError("--paper takes A4, Letter, WxHmm or WxHpx, not '" + text + "'");
    };
    if (text.size() < 5)
        throw fail();
    std::string unit = text.substr(text.size() - 2);
    if (unit != "mm" && unit != "px")
        throw fail();
    millimetres = unit == "mm";
    std::string size = text.substr(0, text.size() - 2);
    std::size_t cross = size.find('x');
    if (cross == std::string::npos)
        throw fail();
    width = positiveNumber("--paper", size.substr(0, cross));
    height = positiveNumber("--paper", size.substr(cross + 1));
}

void applyPaper(VirtualPaper& paper, const std::string& choice) {
    long double width = 0;
    long double height = 0;
    if (choice == "A4") {
        PageSize a4 = VirtualPaper::a4(paper.dpi);
        width = a4.width;
        height = a4.height;
    } else if (choice == "Letter") {
        width = paper.dpi * 8.5L;
        height = paper.dpi * 11.0L;
    } else {
        bool millimetres = false;
        readSheetSize(choice, width, height, millimetres);
        if (millimetres) {
            width = width / 25.4L * paper.dpi;
            height = height / 25.4L * paper.dpi;
        }
    }
    paper.width = roundToField<int>(width);
    paper.height = roundToField<int>(height);
}

// The sheet must leave room inside its strips, and a PNG page must be an image that can be
// held: at most MaxImageSide pixels a side, as QPainter's raster engine draws.
void checkSheet(const PrintOptions& options, const std::string& paperChoice) {
    const VirtualPaper& paper = options.paper;
    // In 64 bits: strips of 2^31 pixels are a usage error, not an overflow.
    long long printableWidth =
        static_cast<long long>(paper.width) - paper.unprintableX - paper.rightStrip();
    long long printableHeight =
        static_cast<long long>(paper.height) - paper.unprintableY - paper.bottomStrip();
    if (printableWidth <= 0 || printableHeight <= 0)
        throw UsageError("--paper " + paperChoice + " is " + std::to_string(paper.width) + "x" +
                         std::to_string(paper.height) + " pixels at " + std::to_string(paper.dpi) +
                         " dpi: nothing is left to print on inside the unprintable strips " +
                         std::to_string(paper.unprintableX) + "," +
                         std::to_string(paper.unprintableY));
    if (!options.output || !outputFileUsesQt(*options.output))
        return;
    constexpr int MaxImageSide = 32767;
    int dpi = options.pictureDpi.value_or(paper.dpi);
    // In 64 bits: a sheet of 2^31 pixels drawn at a finer resolution is bigger than an int.
    PageSize sheet = paper.sheet(Orientation::Portrait);
    long double scale = static_cast<long double>(dpi) / paper.dpi;
    long long width = std::llround(sheet.width * scale);
    long long height = std::llround(sheet.height * scale);
    if (width > MaxImageSide || height > MaxImageSide)
        throw UsageError("at " + std::to_string(dpi) + " dpi a page would be " +
                         std::to_string(width) + "x" + std::to_string(height) +
                         " pixels; PNG pages are at most " + std::to_string(MaxImageSide) +
                         " pixels a side");
}

} // namespace

PrintOptions PrintOptions::parse(const std::vector<std::string>& arguments) {
    PrintOptions options;
    std::string paperChoice = "A4";
    std::size_t i = 0;
    auto value = [&](const std::string& option) -> std::string {
        if (i + 1 >= arguments.size())
            throw UsageError(option + " needs a value");
        return arguments[++i];
    };
    for (; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "-o" || argument == "--output") {
            options.output = value(argument);
        } else if (argument == "-P" || argument == "--printer") {
            options.printer = value(argument);
        } else if (argument == "--trace") {
            options.trace = value(argument);
        } else if (argument == "--registry") {
            options.registry = value(argument);
        } else if (argument == "--data-dir") {
            options.dataDir = value(argument);
        } else if (argument == "--geometry") {
            options.geometry = true;
        } else if (argument == "--set") {
            std::string assignment = value(argument);
            std::size_t equals = assignment.find('=');
            if (equals == std::string::npos || equals == 0)
                throw UsageError("--set takes NAME=VALUE, not '" + assignment + "'");
            std::string name = assignment.substr(0, equals);
            if (!isRunSetting(name))
                throw UsageError("--set: there is no setting named '" + name + "'");
            options.overrides.emplace_back(name, assignment.substr(equals + 1));
        } else if (argument == "--dpi") {
            options.pictureDpi = dpiNumber(argument, value(argument));
        } else if (argument == "--device-dpi") {
            options.paper.dpi = dpiNumber(argument, value(argument));
        } else if (argument == "--paper") {
            paperChoice = value(argument);
        } else if (argument == "--progress-fd") {
            options.progressFd = positiveNumber(argument, value(argument));
        } else if (argument == "--unprintable") {
            std::string pair = value(argument);
            std::size_t comma = pair.find(',');
            if (comma == std::string::npos)
                throw UsageError("--unprintable takes X,Y in pixels, not '" + pair + "'");
            options.paper.unprintableX = nonNegativeNumber(argument, pair.substr(0, comma));
            options.paper.unprintableY = nonNegativeNumber(argument, pair.substr(comma + 1));
        } else if (argument.size() > 1 && argument[0] == '-' && argument != "-") {
            throw UsageError("unknown option '" + argument + "'");
        } else if (options.file) {
            throw UsageError("only one file can be printed at a time");
        } else {
            options.file = argument;
        }
    }
    if (options.output && options.printer)
        throw UsageError("-o and -P cannot be given together");
    // Sizes in millimetres and the named papers follow the device's resolution, wherever
    // --device-dpi stands.
    applyPaper(options.paper, paperChoice);
    checkSheet(options, paperChoice);
    return options;
}

const char* printUsage() {
    return "Usage: marlet-print [options] [FILE]\n"
           "Prints a DOS printer stream (FILE, - for standard input, or the queue file).\n"
           "\n"
           "  -o, --output PATH      write a PDF (.pdf, - for standard output) or PNG pages "
           "(.png)\n"
           "  -P, --printer NAME     print on a system printer\n"
           "      --registry PATH    the settings store (default: $MARLET_REGISTRY or\n"
           "                         ~/.config/marlet/registry.db)\n"
           "      --set NAME=VALUE   override a setting for this run (repeatable)\n"
           "      --dpi N            resolution of the PNG pages (that of the layout)\n"
           "      --paper SIZE       A4, Letter, WxHmm or WxHpx (A4)\n"
           "      --unprintable X,Y  unprintable strips in pixels (100,100)\n"
           "      --device-dpi N     resolution the PDF, PNG and trace are laid out at (600)\n"
           "      --geometry         print the page geometry and exit\n"
           "      --trace PATH       write every page-device operation to PATH\n"
           "      --progress-fd N    write the progress to file descriptor N for the\n"
           "                         resident app (frame N, page N, wrote PATH, done);\n"
           "                         at the page limit held N, then it waits for SIGUSR2\n"
           "                         (go on) or SIGUSR1 (stop)\n"
           "      --data-dir DIR     where code pages and language files are (working folder)\n"
           "  -h, --help             show this help\n"
           "      --version          show the version\n";
}

} // namespace marlet
