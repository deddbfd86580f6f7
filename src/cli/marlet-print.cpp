// marlet-print without Qt's libraries, which would take most of a small job's time to load:
// a job for PNG pages or Qt's printers runs marlet-print-qt, installed beside it, instead.

#include "PrintCommand.h"
#include "base/Error.h"
#include "base/ProgramFolder.h"

#include <unistd.h>

int main(int argc, char** argv) {
    return marlet::runPrintCommand(
        argc, argv, [](int&, char** arguments) -> std::shared_ptr<marlet::QtDevices> {
            const std::string qtBuild = (marlet::programFolder() / "marlet-print-qt").string();
            execv(qtBuild.c_str(), arguments);
            throw marlet::Error("Cannot run " + qtBuild + ", which prints PNG pages and on Qt's " +
                                "printers");
        });
}
