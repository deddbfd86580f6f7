// marlet-cups-filter: the CUPS filter of a Marlet queue, DOS printer stream in, PDF out.

#include "CupsFilter.h"

int main(int argc, char** argv) {
    return marlet::runCupsFilter(argc, argv);
}
