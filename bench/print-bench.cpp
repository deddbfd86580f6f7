// Renders generated CP866 reports to PDF with marlet-print and reports wall time, CPU time
// (all threads), MB/s, pages/s, peak memory and PDF bytes per page, with cups-filters' texttopdf
// on the same input beside it when it is installed, run for run.
//
// The split shows which side sets the pace: "deflate s" is the CPU time one thread takes to
// compress the pages' content streams again (read back from the output), "main s" the
// program's CPU time less that, and "content B/p" the content stream bytes of a page before
// compression. "1 core s" is the same job pinned to a single core, so with one compressing thread.
//
//   marlet-print-bench [--runs N] [--escapes | --graphics] [SIZE_MB ...]   (default: 3 runs; 1 10)
//
// --escapes switches type styles every few lines with Epson sequences, printed under the
// ready-made Epson scheme and its drop list. --graphics adds a 24-pin bit-image stamp and
// a line-spacing command every few lines, printed under the ready-made 24-pin scheme.

#include "ProgramMain.h"
#include "ReportGenerator.h"
#include "base/IntegerText.h"
#include "pdf/Deflater.h"

#include <libdeflate.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sched.h>
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

// Runs a program with its standard output going to outputPath (or inherited when empty),
// on one core when oneCore is set.
Run runProgram(const std::vector<std::string>& arguments, const std::string& outputPath = "",
               bool oneCore = false) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        if (oneCore) {
            cpu_set_t first;
            CPU_ZERO(&first);
            CPU_SET(sched_getcpu(), &first);
            sched_setaffinity(0, sizeof first, &first);
        }
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

struct ContentSplit {
    double deflateSeconds = 0;
    double bytesPerPage = 0;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// CPU time of the calling thread: other jobs on the machine do not count.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

// Inflates the page content streams of a PDF that marlet-print wrote and times compressing
// them again as its writer does, on one thread.
ContentSplit contentSplit(const fs::path& pdfPath, int pages) {
    const std::string pdf = readFile(pdfPath);
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    marlet::Deflater deflater(marlet::Deflater::StreamLevel);
    std::string content(1 << 22, '\0');
    ContentSplit split;
    std::size_t bytes = 0;
    for (std::size_t at = pdf.find("/Contents "); at != std::string::npos;
         at = pdf.find("/Contents ", at + 1)) {
        const std::string head =
            "\n" + std::to_string(std::atoi(pdf.c_str() + at + 10)) + " 0 obj\n<</Length ";
        // A page's content stream is written just before the page that names it.
        const std::size_t object = pdf.rfind(head, at);
        if (object == std::string::npos)
            continue;
        const std::size_t length = std::strtoul(pdf.c_str() + object + head.size(), nullptr, 10);
        const std::size_t data = pdf.find("stream\n", object) + 7;
        std::size_t size = 0;
        if (libdeflate_zlib_decompress(inflater, pdf.data() + data, length, content.data(),
                                       content.size(), &size) != LIBDEFLATE_SUCCESS)
            continue;
        bytes += size;
        const double start = threadSeconds();
        deflater.compress(std::string_view(content.data(), size));
        split.deflateSeconds += threadSeconds() - start;
    }
    libdeflate_free_decompressor(inflater);
    split.bytesPerPage = static_cast<double>(bytes) / std::max(1, pages);
    return split;
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

const char* const Usage =
    "Usage: marlet-print-bench [--runs N] [--escapes | --graphics] [SIZE_MB ...]\n"
    "Prints generated CP866 reports of SIZE_MB megabytes (1 and 10) into PDF with marlet-print\n"
    "and reports the median of N runs (3).\n"
    "\n"
    "      --runs N    runs of each size\n"
    "      --escapes   switch type styles every few lines under the Epson scheme\n"
    "      --graphics  the same with a 24-pin bit-image stamp and line spacing commands\n"
    "  -h, --help      show this help\n";

int positive(const std::string& option, const std::string& text) {
    try {
        if (int value = marlet::parseInteger(text); value > 0)
            return value;
    } catch (const marlet::Error&) {
    }
    throw marlet::UsageError(option + " takes a positive number, not '" + text + "'");
}

struct BenchOptions {
    int runs = 3;
    bool escapes = false;
    bool graphics = false;
    bool help = false;
    std::vector<int> sizes;

    static BenchOptions parse(const std::vector<std::string>& arguments) {
        BenchOptions options;
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            const std::string& argument = arguments[i];
            if (argument == "-h" || argument == "--help")
                options.help = true;
            else if (argument == "--escapes")
                options.escapes = true;
            else if (argument == "--graphics")
                options.escapes = options.graphics = true;
            else if (argument == "--runs" && i + 1 < arguments.size())
                options.runs = positive(argument, arguments[++i]);
            else if (argument.starts_with("-"))
                throw marlet::UsageError("unknown option '" + argument + "'");
            else
                options.sizes.push_back(positive("a size in MB", argument));
        }
        if (options.sizes.empty())
            options.sizes = {1, 10};
        return options;
    }
};

// A folder of our own (a shared temporary folder may hold anyone's links), removed however
// the run ends.
struct WorkFolder {
    fs::path path;

    WorkFolder() {
        std::string pattern = (fs::temp_directory_path() / "marlet-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw marlet::Error("Cannot create folder " + pattern);
        path = pattern;
    }
    ~WorkFolder() {
        std::error_code error;
        fs::remove_all(path, error);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
};

int bench(const BenchOptions& options) {
    const int runs = options.runs;
    const bool escapes = options.escapes;
    const bool graphics = options.graphics;
    const std::vector<int>& sizes = options.sizes;
    const bool compare = access(TextToPdf, X_OK) == 0;

    const WorkFolder folder;
    const fs::path& work = folder.path;
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
    std::printf("%8s %6s %7s %6s %6s %9s %8s %7s %8s %8s %11s %10s %12s %7s\n", "input", "pages",
                "wall s", "cpu s", "main s", "deflate s", "1 core s", "MB/s", "pages/s", "peak MB",
                "content B/p", "PDF B/p", "texttopdf s", "ratio");
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
        std::vector<double> oneCore;
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
            Run pinned = runProgram(command, "", true);
            if (pinned.ok)
                oneCore.push_back(pinned.seconds);
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
        const double cpu = median(oursCpu);
        const int pages = generator.pages();
        const ContentSplit split = contentSplit(output, pages);
        std::printf("%6.1fMB %6d %7.2f %6.2f %6.2f %9.2f %8.2f %7.2f %8.0f %8.1f %11.0f %10.0f",
                    inputMegabytes, pages, wall, cpu, cpu - split.deflateSeconds,
                    split.deflateSeconds, oneCore.empty() ? 0.0 : median(oneCore),
                    inputMegabytes / wall, pages / wall, peak / 1024.0, split.bytesPerPage,
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
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    return marlet::runProgram<BenchOptions>({"marlet-print-bench", Usage}, argc, argv,
                                            [](BenchOptions& options) { return bench(options); });
}
