// A captured printer stream through the whole job: code page, escape sequences (built-in or
// an Epson scheme), control codes, box drawing and the grid. The first byte picks the
// settings, the rest is the queue file.

#include "base/Error.h"
#include "charset/CodePageTable.h"
#include "config/FileBytes.h"
#include "config/RegFileReader.h"
#include "config/SqliteSettingsStore.h"
#include "render/PrintJob.h"
#include "support/FakeDevice.h"

#include <fstream>
#include <sstream>
#include <sys/mman.h>
#include <unistd.h>

using namespace marlet;

namespace {

struct Fixture {
    Fixture() {
        table.load(MARLET_DATA_DIR "/866.cp");
        RegFileReader::import(
            store, readFileBytes(MARLET_DATA_DIR "/schemes/epson-escp-9pin.reg").value_or(""),
            "epson-escp-9pin.reg");
        store.setValue(MarletKey, "Sequence", std::string("Epson ESC-P 9-pin"));
        epson.LoadSequences(store);
    }
    SqliteSettingsStore store{":memory:"};
    CodePageTable table;
    ActiveScheme builtIn;
    ActiveScheme epson;
    std::vector<std::string> dropList{"\x1B@", "\x1Bx1"};
    // The queue file: a file in memory that the job opens by name.
    int fd = memfd_create("queue", MFD_CLOEXEC);
    std::string path = "/proc/self/fd/" + std::to_string(fd);
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    if (size == 0)
        return 0;
    const std::uint8_t options = data[0];
    ftruncate(fixture.fd, 0);
    pwrite(fixture.fd, data + 1, size - 1, 0);

    testing::FakeDevice printer;
    PageGeometry geometry(printer);
    BoxRenderer boxes(printer);
    CanvasFont sample = fontFromPoints("Courier New", 10, {}, 600);
    geometry.setcell(10);
    geometry.checksize(sample, geometry.defaultMargins(), Orientation::Portrait);
    JobSettings job;
    job.path = fixture.path;
    job.sampleFont = sample;
    job.lineWrap = options & 1;
    job.pageFeed = options & 2;
    job.orientation = options & 4 ? Orientation::Landscape : Orientation::Portrait;
    const ActiveScheme& scheme = options & 8 ? fixture.epson : fixture.builtIn;
    try {
        PrintJob(printer, geometry, fixture.table, boxes, EscapeRules{scheme, fixture.dropList},
                 [](std::uint8_t) {})
            .run(job);
    } catch (const Error&) {
        // Refused input is an answer too; only a crash or a sanitizer report is a finding.
    }
    return 0;
}
