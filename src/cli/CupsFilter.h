#pragma once

namespace marlet {

/// marlet-cups-filter: prints one job of a Marlet queue as marlet-print does, the PDF on
/// standard output, and talks to CUPS in "INFO:", "ERROR:" and "PAGE:" lines on standard
/// error. Returns the exit status: 0 when the job printed (or held nothing to print), 1
/// when it failed.
int runCupsFilter(int argc, char** argv);

} // namespace marlet
