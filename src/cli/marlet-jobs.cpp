// marlet-jobs: lists, shows, prints again, dumps and deletes the jobs the resident app kept.

#include "JobsArguments.h"
#include "JobsCommands.h"
#include "ProgramMain.h"

#include <iostream>

using namespace marlet;

int main(int argc, char** argv) {
    return runProgram<JobsArguments>({"marlet-jobs", jobsUsage()}, argc, argv,
                                     [](JobsArguments& arguments) {
                                         int status = JobsCommands(arguments, std::cout).run();
                                         std::cout.flush();
                                         return std::cout ? status : 1;
                                     });
}
