// Renders generated CP866 reports to PDF with marlet-print and reports wall time, CPU time
// (both threads), MB/s, pages/s, peak memory and PDF bytes per page, with cups-filters' texttopdf
// on the same input beside it when it is installed.
//
//   marlet-print-bench [--runs N] [--escapes | --graphics] [SIZE_MB ...]   (default: 3 runs; 1 10)
//
// --escapes switches type styles every few lines with Epson sequences, printed under the
// ready-made Epson scheme and its drop list. --graphics adds a 24-pin bit-image stamp and
// a line-spacing command every few lines, printed under the ready-made 24-pin scheme.

#include "ReportGenerator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* TextToPdf = "/usr/lib/cups/filter/texttopdf";

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;
    long peakKilobytes = 0;
    bool ok = false;
};

// Runs a program with its standard output going to outputPath (or inherited when empty).
Run runProgram(const std::vector<std::string>& arguments, const std::string& outputPath = "") {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        if (!outputPath.empty() && !std::freopen(outputPath.c_str(), "wb", stdout))
            _exit(126);
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
    auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A data folder with the shipped tables and a scheme's drop list, and a settings store
// with that ready-made scheme active.
void prepareScheme(const fs::path& work, const std::string& file, const std::string& scheme) {
    fs::create_directories(work / "data");
    for (const char* name : {"866.cp", "Русский.lng"})
        fs::copy_file(fs::path(MARLET_DATA_DIR) / name, work / "data" / name);
    fs::copy_file(fs::path(MARLET_DATA_DIR) / "schemes" / (file + ".seq"),
                  work / "data/unused.seq");
    std::string registry = (work / "registry.db").string();
    runProgram({MARLET_REG, "--registry", registry, "import",
                std::string(MARLET_DATA_DIR) + "/schemes/" + file + ".reg"});
    runProgram({MARLET_REG, "--registry", registry, "set", ".", "Sequence", scheme});
}

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    bool escapes = false;
    bool graphics = false;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--escapes") == 0)
            escapes = true;
        else if (std::strcmp(argv[i], "--graphics") == 0)
            escapes = graphics = true;
        else
            sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty())
        sizes = {1, 10};
    const bool compare = access(TextToPdf, X_OK) == 0;

    fs::path work = fs::temp_directory_path() / ("marlet-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    const std::string dataDir = escapes ? (work / "data").string() : MARLET_DATA_DIR;
    if (graphics)
        prepareScheme(work, "epson-escp2-24pin", "Epson ESC-P2 24-pin");
    else if (escapes)
        prepareScheme(work, "epson-escp-9pin", "Epson ESC-P 9-pin");
    std::printf("%s report, median of %d runs\n",
                graphics  ? "Epson-styled, with bit images and spacing,"
                : escapes ? "Epson-styled"
                          : "plain",
                runs);
    std::printf("%8s %6s %7s %6s %7s %8s %8s %11s %12s %7s\n", "input", "pages", "wall s", "cpu s",
                "MB/s", "pages/s", "peak MB", "PDF B/page", "texttopdf s", "ratio");
    int failures = 0;
    for (int megabytes : sizes) {
        marlet::bench::ReportGenerator generator(escapes, graphics);
        fs::path input = work / ("report-" + std::to_string(megabytes) + "mb.prn");
        fs::path output = work / ("report-" + std::to_string(megabytes) + "mb.pdf");
        {
            std::ofstream(input, std::ios::binary)
                << generator.generate(static_cast<std::size_t>(megabytes) << 20);
        }
        const double inputMegabytes = static_cast<double>(fs::file_size(input)) / 1048576.0;

        std::vector<double> ours;
        std::vector<double> oursCpu;
        std::vector<double> theirs;
        long peak = 0;
        for (int run = 0; run < runs; ++run) {
            std::vector<std::string> command = {MARLET_PRINT,   "--data-dir", dataDir,
                                                input.string(), "-o",         output.string()};
            if (escapes) {
                command.push_back("--registry");
                command.push_back((work / "registry.db").string());
            }
            Run mine = runProgram(command);
            if (!mine.ok) {
                std::fprintf(stderr, "marlet-print failed on %s\n", input.c_str());
                ++failures;
                break;
            }
            ours.push_back(mine.seconds);
            oursCpu.push_back(mine.cpuSeconds);
            peak = std::max(peak, mine.peakKilobytes);
            if (compare) {
                Run other = runProgram({TextToPdf, "1", "bench", "report", "1", "", input.string()},
                                       (work / "texttopdf.pdf").string());
                if (other.ok)
                    theirs.push_back(other.seconds);
            }
        }
        if (ours.empty())
            continue;
        const double wall = median(ours);
        const int pages = generator.pages();
        std::printf("%6.1fMB %6d %7.2f %6.2f %7.2f %8.0f %8.1f %11.0f", inputMegabytes, pages, wall,
                    median(oursCpu), inputMegabytes / wall, pages / wall, peak / 1024.0,
                    static_cast<double>(fs::file_size(output)) / pages);
        if (!theirs.empty())
            std::printf(" %12.2f %7.2f\n", median(theirs), median(theirs) / wall);
        else
            std::printf(" %12s %7s\n", "-", "-");
        std::fflush(stdout);
        fs::remove(input);
        fs::remove(output);
    }
    if (!compare)
        std::printf("(texttopdf not found: apt-get install cups-filters to compare)\n");
    fs::remove_all(work);
    return failures == 0 ? 0 : 1;
}
