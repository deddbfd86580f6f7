// marlet-print without Qt's libraries, which would take most of a small job's time to load:
// a job for PNG pages or Qt's printers runs marlet-print-qt, installed beside it, instead.

#include "PrintCommand.h"

int main(int argc, char** argv) {
    return marlet::runPrintCommand(argc, argv, marlet::startQtBeside());
}
