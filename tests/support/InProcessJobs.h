#pragma once

#include "app/Application.h"
#include "app/JobRunner.h"

#include <string>
#include <vector>

namespace marlet::testing {

/// Prints each job of a resident session in the test's own process, on the printer the
/// application has, so that a fake printer sees the pages; keeps the printer name each job
/// was given.
class InProcessJobs : public JobRunner {
public:
    PrintedJob print(const std::string& path, const std::string& printer,
                     Application& app) override {
        printers.push_back(printer);
        app.printFile(path);
        return {};
    }
    /// A job in this process prints whole: cancels are only counted.
    void cancel() override { ++cancels; }

    std::vector<std::string> printers;
    int cancels = 0;
};

} // namespace marlet::testing
