// Renders generated CP866 reports to PDF with marlet-print and reports wall time, MB/s,
// pages/s, peak memory and PDF bytes per page.
//
//   marlet-print-bench [SIZE_MB ...]      (default: 1 10)

#include "ReportGenerator.h"

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
    int status = 0;
};

Run runPrint(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    Run run;
    rusage usage{};
    wait4(child, &run.status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKilobytes = usage.ru_maxrss;
    return run;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {1, 10};

    fs::path work = fs::temp_directory_path() / ("marlet-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    std::printf("%8s %7s %9s %8s %9s %10s %11s\n", "input", "pages", "wall s", "MB/s", "pages/s",
                "peak MB", "PDF B/page");
    int failures = 0;
    for (int megabytes : sizes) {
        marlet::bench::ReportGenerator generator;
        std::string report = generator.generate(static_cast<std::size_t>(megabytes) << 20);
        fs::path input = work / ("report-" + std::to_string(megabytes) + "mb.prn");
        fs::path output = work / ("report-" + std::to_string(megabytes) + "mb.pdf");
        std::ofstream(input, std::ios::binary) << report;

        Run run = runPrint(
            {MARLET_PRINT, "--data-dir", MARLET_DATA_DIR, input.string(), "-o", output.string()});
        if (!WIFEXITED(run.status) || WEXITSTATUS(run.status) != 0) {
            std::fprintf(stderr, "marlet-print failed on %s\n", input.c_str());
            ++failures;
            continue;
        }
        double inputMegabytes = report.size() / 1048576.0;
        std::printf("%6.1fMB %7d %9.2f %8.2f %9.0f %10.1f %11.0f\n", inputMegabytes,
                    generator.pages(), run.seconds, inputMegabytes / run.seconds,
                    generator.pages() / run.seconds, run.peakKilobytes / 1024.0,
                    static_cast<double>(fs::file_size(output)) / generator.pages());
        std::fflush(stdout);
    }
    fs::remove_all(work);
    return failures == 0 ? 0 : 1;
}
