// What bit images cost in the PDF: streams of 9-pin graphics printed with marlet-print under
// the ready-made 9-pin scheme, each with its PDF bytes per input byte, wall time and peak
// memory.
//
//   marlet-image-bench [SIZE_MB]   (default 20)
//
// "columns" is ESC K 1 0 FF over and over, a picture a column at a time running off the
// line; "lines" the same with a line end after every 476 columns, so that each page holds
// lines of them; "photo" a page of 8-dot stripes (ESC L, 960 columns) of a dithered
// picture, page after page.

#include "ProgramMain.h"
#include "base/IntegerText.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
    double seconds = 0;
    long peakKilobytes = 0;
    bool ok = false;
};

Run runProgram(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stderr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Run run;
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKilobytes = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// One column of eight dots, 60 dpi: ESC K with a count of 1.
const std::string Column("\x1BK\x01\x00\xFF", 5);

std::string columns(std::size_t bytes) {
    std::string out;
    while (out.size() + Column.size() <= bytes)
        out += Column;
    return out;
}

std::string lines(std::size_t bytes) {
    std::string line;
    for (int i = 0; i < 476; ++i)
        line += Column;
    line += "\r\n";
    std::string out;
    while (out.size() + line.size() <= bytes)
        out += line;
    return out;
}

// A page of 90 stripes of 960 columns at 120 by 72 dpi, ordered-dithered rings, with a
// little noise so that it compresses as a scanned picture does.
std::string photo(std::size_t bytes) {
    static const int Bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::string page = "\x1B@\x1B"
                       "3\x18";
    unsigned noise = 1997;
    for (int stripe = 0; stripe < 90; ++stripe) {
        page += std::string("\x1BL") + static_cast<char>(960 % 256) + static_cast<char>(960 / 256);
        for (int x = 0; x < 960; ++x) {
            unsigned column = 0;
            for (int pin = 0; pin < 8; ++pin) {
                const int y = stripe * 8 + pin;
                const int dx = x - 480;
                const int dy = y - 360;
                noise = noise * 1103515245 + 12345;
                const int level = ((dx * dx + dy * dy) / 900 + static_cast<int>(noise >> 28)) % 17;
                if (level > Bayer[y % 4][x % 4])
                    column |= 0x80u >> pin;
            }
            page += static_cast<char>(column);
        }
        page += "\r\n";
    }
    page += "\f";
    std::string out;
    while (out.size() + page.size() <= bytes)
        out += page;
    return out;
}

// Writes the stream from a child of its own: the memory that made it would otherwise count
// in the peak of every marlet-print forked after it.
void writeInput(const fs::path& path, std::string (*generate)(std::size_t), std::size_t bytes) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        std::ofstream(path, std::ios::binary) << generate(bytes);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

const char* const Usage = "Usage: marlet-image-bench [SIZE_MB]\n"
                          "Prints SIZE_MB (20) of each kind of 9-pin graphics into PDF with\n"
                          "marlet-print and reports what each costs.\n";

struct ImageBenchOptions {
    std::size_t megabytes = 20;
    bool help = false;

    static ImageBenchOptions parse(const std::vector<std::string>& arguments) {
        ImageBenchOptions options;
        for (const std::string& argument : arguments) {
            if (argument == "-h" || argument == "--help") {
                options.help = true;
            } else {
                const int value = marlet::parseInteger(argument);
                if (value <= 0)
                    throw marlet::UsageError("a size in MB is a positive number, not '" + argument +
                                             "'");
                options.megabytes = static_cast<std::size_t>(value);
            }
        }
        return options;
    }
};

int bench(const ImageBenchOptions& options) {
    const std::size_t megabytes = options.megabytes;
    std::string pattern = (fs::temp_directory_path() / "marlet-image-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw marlet::Error("Cannot create folder " + pattern);
    const fs::path work = pattern;
    const std::string registry = (work / "registry.db").string();
    runProgram({MARLET_REG, "--registry", registry, "import",
                MARLET_DATA_DIR "/schemes/epson-escp-9pin.reg"});
    runProgram({MARLET_REG, "--registry", registry, "set", ".", "Sequence", "Epson ESC-P 9-pin"});

    std::printf("%-8s %10s %12s %8s %7s %8s\n", "stream", "input B", "PDF B", "PDF B/B", "wall s",
                "peak MB");
    int failures = 0;
    const std::pair<const char*, std::string (*)(std::size_t)> kinds[] = {
        {"columns", columns}, {"lines", lines}, {"photo", photo}};
    for (const auto& [name, generate] : kinds) {
        const fs::path input = work / (std::string(name) + ".prn");
        const fs::path output = work / (std::string(name) + ".pdf");
        writeInput(input, generate, megabytes << 20);
        const Run run = runProgram({MARLET_PRINT, "--data-dir", MARLET_DATA_DIR, "--registry",
                                    registry, input.string(), "-o", output.string()});
        if (!run.ok) {
            std::fprintf(stderr, "marlet-print failed on %s\n", input.c_str());
            ++failures;
            continue;
        }
        const auto in = static_cast<double>(fs::file_size(input));
        const auto out = static_cast<double>(fs::file_size(output));
        std::printf("%-8s %10.0f %12.0f %8.3f %7.2f %8.1f\n", name, in, out, out / in, run.seconds,
                    run.peakKilobytes / 1024.0);
    }
    fs::remove_all(work);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    return marlet::runProgram<ImageBenchOptions>(
        {"marlet-image-bench", Usage}, argc, argv,
        [](ImageBenchOptions& options) { return bench(options); });
}
