// A captured printer stream through the whole job: code page, escape sequences (built-in,
// or a stored scheme of each printer language: ESC/P, ESC/P2, PCL), control codes, box
// drawing, bit images and the grid, on a printer that draws its pictures as the PDF and
// PNG pages do; then the byte view of the same bytes. The first byte picks the settings; with its
// bit 6 the next byte is the length of an init string that follows; the rest is the queue file.

#include "base/Error.h"
#include "charset/CodePageTable.h"
#include "config/FileBytes.h"
#include "config/RegFileReader.h"
#include "config/SqliteSettingsStore.h"
#include "jobs/JobDump.h"
#include "pdf/PdfPageImages.h"
#include "render/PrintJob.h"
#include "support/FakeDevice.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <sys/mman.h>
#include <unistd.h>

using namespace marlet;

namespace {

// A printer that keeps its pictures as the PDF printer does (a page's image masks) and
// draws each at a sixth of its resolution, cut to the sheet, as a PNG page of --dpi 100.
class PictureDevice final : public testing::FakeDevice {
public:
    void beginDocument(const std::string& title) override {
        FakeDevice::beginDocument(title);
        startPage();
    }
    void newPage() override {
        finishPage();
        startPage();
    }
    void endDocument() override {
        finishPage();
        FakeDevice::endDocument();
    }
    void drawImage(int left, int top, int right, int bottom, const BitImage& image) override {
        m_masks.add(left, top, right, bottom, image);
        const int pageLeft = sixth(m_left + static_cast<std::int64_t>(left));
        const int pageTop = sixth(m_top + static_cast<std::int64_t>(top));
        const int pageRight = sixth(m_left + static_cast<std::int64_t>(right));
        const int pageBottom = sixth(m_top + static_cast<std::int64_t>(bottom));
        const int visibleLeft = std::max(pageLeft, 0);
        const int visibleTop = std::max(pageTop, 0);
        const int visibleRight = std::min(pageRight, sixth(m_width));
        const int visibleBottom = std::min(pageBottom, sixth(m_height));
        if (visibleRight > visibleLeft && visibleBottom > visibleTop)
            m_inked |= image
                           .scaledPart(pageRight - pageLeft, pageBottom - pageTop,
                                       visibleLeft - pageLeft, visibleTop - pageTop,
                                       visibleRight - visibleLeft, visibleBottom - visibleTop)
                           .inked();
    }

private:
    static int sixth(std::int64_t pixels) {
        return static_cast<int>(std::lround(static_cast<double>(pixels) / 6));
    }
    void startPage() {
        const bool portrait = orientation() == Orientation::Portrait;
        m_width = portrait ? sheet.width : sheet.height;
        m_height = portrait ? sheet.height : sheet.width;
        m_left = sheet.offsetX;
        m_top = sheet.offsetY;
        m_masks.start(-m_left, -m_top, m_width - m_left, m_height - m_top);
    }
    void finishPage() {
        std::string paint;
        std::vector<BitImage> images;
        m_masks.finish(paint, images);
    }

    PdfPageImages m_masks;
    int m_width = 0;
    int m_height = 0;
    int m_left = 0;
    int m_top = 0;
    bool m_inked = false;
};

struct Fixture {
    Fixture() {
        table.load(MARLET_DATA_DIR "/866.cp");
        const std::array<std::pair<const char*, const char*>, 3> stored = {
            {{"epson-escp-9pin.reg", "Epson ESC-P 9-pin"},
             {"epson-escp2-24pin.reg", "Epson ESC-P2 24-pin"},
             {"hp-pcl.reg", "HP PCL"}}};
        for (std::size_t i = 0; i < stored.size(); ++i) {
            const std::string file = std::string(MARLET_DATA_DIR "/schemes/") + stored[i].first;
            RegFileReader::import(store, readFileBytes(file).value_or(""), stored[i].first);
            store.setValue(MarletKey, "Sequence", std::string(stored[i].second));
            schemes[i + 1].LoadSequences(store);
        }
    }
    SqliteSettingsStore store{":memory:"};
    CodePageTable table;
    // The built-in sequences, then one scheme of each language.
    std::array<ActiveScheme, 4> schemes;
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
    std::size_t start = 1;
    JobSettings job;
    if (options & 64 && size > 1) {
        const std::size_t length = std::min<std::size_t>(data[1], size - 2);
        job.initString.assign(reinterpret_cast<const char*>(data + 2), length);
        start = 2 + length;
    }
    ftruncate(fixture.fd, 0);
    pwrite(fixture.fd, data + start, size - start, 0);

    // A laser printer at 600 dpi, or a 24-pin one at 180.
    const int dpi = options & 32 ? 180 : 600;
    PictureDevice printer;
    printer.dpiX = printer.dpiY = dpi;
    printer.sheet = {dpi * 124 / 15, dpi * 877 / 75, dpi / 6, dpi / 6};
    PageGeometry geometry(printer);
    BoxRenderer boxes(printer);
    CanvasFont sample = fontFromPoints("Courier New", 10, {}, dpi);
    geometry.setcell(10);
    geometry.checksize(sample, geometry.defaultMargins(), Orientation::Portrait);
    job.path = fixture.path;
    job.sampleFont = sample;
    job.lineWrap = options & 1;
    job.pageFeed = options & 2;
    job.orientation = options & 4 ? Orientation::Landscape : Orientation::Portrait;
    const ActiveScheme& scheme = fixture.schemes[(options >> 3) & 3];
    try {
        PrintJob(printer, geometry, fixture.table, boxes, EscapeRules{scheme, fixture.dropList},
                 [](std::uint8_t) {})
            .run(job);
    } catch (const Error&) {
        // Refused input is an answer too; only a crash or a sanitizer report is a finding.
    }
    // The byte view reads the same job under the same scheme.
    std::ostringstream dump;
    JobDump(scheme, fixture.dropList, fixture.table)
        .write(dump, std::string_view(reinterpret_cast<const char*>(data + start), size - start));
    return 0;
}
