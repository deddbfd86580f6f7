#pragma once

#include "config/ActiveScheme.h"
#include "render/PrintJob.h"
#include "render/TraceDevice.h"
#include "support/FakeDevice.h"
#include "support/MemorySettingsStore.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace marlet::testing {

/// What a test needs to print a job on a fake printer through the trace: the printer, its
/// geometry and box renderer, a code page table, a settings store with the escape scheme
/// and drop list, the sample font and a file for the job's bytes.
struct TracedJob {
    TracedJob() : traced(printer, trace), geometry(traced), boxes(traced) {}
    ~TracedJob() { std::filesystem::remove(path); }
    TracedJob(const TracedJob&) = delete;
    TracedJob& operator=(const TracedJob&) = delete;

    /// Writes the bytes to the job's file and prints it with these settings, on the sample
    /// font; the trace then holds this job's calls alone. Returns whether a page printed.
    bool run(
        const std::string& bytes, JobSettings settings,
        PrintJob::ProgressStep progress = [](std::uint8_t) {},
        const std::function<void()>& loadScheme = {}) {
        std::ofstream(path, std::ios::binary) << bytes;
        trace.str("");
        settings.path = path;
        settings.sampleFont = sample;
        return PrintJob(traced, geometry, table, boxes, EscapeRules{scheme, dropList},
                        std::move(progress))
            .run(settings, loadScheme);
    }

    FakeDevice printer;
    std::ostringstream trace;
    TraceDevice traced;
    PageGeometry geometry;
    BoxRenderer boxes;
    CodePageTable table;
    MemorySettingsStore store;
    ActiveScheme scheme;
    std::vector<std::string> dropList;
    CanvasFont sample = fontFromPoints("Courier New", 10, {}, 600);
    std::string path = (std::filesystem::temp_directory_path() /
                        ("marlet-job-" + std::to_string(::getpid()) + ".prn"))
                           .string();
};

} // namespace marlet::testing
