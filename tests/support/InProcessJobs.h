#pragma once

#include "app/Application.h"
#include "app/JobRunner.h"

namespace marlet::testing {

/// Prints each job of a resident session in the test's own process, on the printer the
/// application has, so that a fake printer sees the pages.
class InProcessJobs : public JobRunner {
public:
    void print(const std::string& path, const std::string&, Application& app) override {
        app.printFile(path);
    }
};

} // namespace marlet::testing
