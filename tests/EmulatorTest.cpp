// Real emulators print to a running marlet --headless as the README tells users to connect
// them: a boot sector prints a CP866 report with box frames through the BIOS printer
// service (INT 17h), once in QEMU to the TCP port and once in Bochs to the FIFO.

#include "config/FileBytes.h"
#include "config/SettingsStore.h"
#include "config/SqliteSettingsStore.h"
#include "support/ChildProcess.h"
#include "support/ShellCommand.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <sstream>
#include <sys/stat.h>

using namespace marlet;
using namespace marlet::testing;
namespace fs = std::filesystem;

namespace {

const char* const Report = "╔══════════════════════════════╗\r\n"
                           "║  ОТЧЕТ О ПРОДАЖАХ ЗА НОЯБРЬ  ║\r\n"
                           "╠═══════════════╤══════════════╣\r\n"
                           "║ Товар         │        Сумма ║\r\n"
                           "╟───────────────┼──────────────╢\r\n"
                           "║ Бумага А4     │      1200.00 ║\r\n"
                           "║ Картридж      │      4500.00 ║\r\n"
                           "╚═══════════════╧══════════════╝\r\n\f";

// The words of the report as pdftotext reads them back: the frames are drawn, not text.
const char* const ReportWords = "ОТЧЕТ О ПРОДАЖАХ ЗА НОЯБРЬ\n"
                                "Товар Сумма\n"
                                "Бумага А4 1200.00\n"
                                "Картридж 4500.00\n";

std::string toCp866(const std::string& utf8) {
    iconv_t convert = iconv_open("CP866", "UTF-8");
    std::string in = utf8, out(utf8.size(), '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t fromLeft = in.size(), toLeft = out.size();
    const bool converted =
        iconv(convert, &from, &fromLeft, &to, &toLeft) != static_cast<std::size_t>(-1);
    iconv_close(convert);
    if (!converted)
        throw std::runtime_error("the report has a character CP866 lacks");
    out.resize(out.size() - toLeft);
    return out;
}

// The PDF's words, each line's blanks run together, blank lines left out.
std::string pdfWords(const std::string& path) {
    std::istringstream lines(runShell("pdftotext -layout '" + path + "' -").out);
    std::string words;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream parts(line);
        std::string word, joined;
        while (parts >> word)
            joined += (joined.empty() ? "" : " ") + word;
        if (!joined.empty())
            words += joined + "\n";
    }
    return words;
}

// The longest run of dark pixels along any row of the PDF's first page at 100 dpi.
int longestDarkRun(const std::string& pdf) {
    const std::string image = runShell("pdftoppm -f 1 -l 1 -r 100 -gray '" + pdf + "'").out;
    // A binary PGM: "P5\nWIDTH HEIGHT\n255\n" and the pixels.
    std::istringstream header(image);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    header >> magic >> width >> height >> maximum;
    const std::size_t start = static_cast<std::size_t>(header.tellg()) + 1;
    int longest = 0;
    for (int y = 0; y < height; ++y) {
        int run = 0;
        for (int x = 0; x < width; ++x) {
            const auto pixel = static_cast<unsigned char>(
                image[start + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)]);
            run = pixel < 128 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

std::string readme() {
    return readFileBytes(MARLET_SOURCE_DIR "/README.md").value_or("");
}

// A resident with capture on, printing into a PDF folder of its own, and a boot floppy
// that prints the report.
class EmulatorJob : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(runtime);
        fs::create_directory(pdfFolder);
        {
            SqliteSettingsStore store(registry);
            store.setValue(MarletKey, "TimeOut", std::uint32_t{1});
            store.setValue(MarletKey, "Spool", folder.file("prnspl"));
            store.setValue(MarletKey, "Capture", std::uint32_t{1});
            store.setValue(MarletKey, "AutoPrint", std::uint32_t{1});
        }
        std::ofstream(folder.file("report.prn"), std::ios::binary) << toCp866(Report);
        const ShellOutput assembled =
            runShell("nasm -f bin -i '" + folder.file("") + "' -o '" + floppy + "' '" +
                     MARLET_TEST_DATA "/emulator/print-report.asm' 2>&1");
        ASSERT_EQ(assembled.status, 0) << assembled.out;
        fs::resize_file(floppy, 1474560);
    }

    void startMarlet() {
        marlet.emplace(
            MARLET_BINARY_DIR "/marlet",
            std::vector<std::string>{"--headless", "--data-dir", MARLET_DATA_DIR, "--registry",
                                     registry},
            std::vector<std::string>{"XDG_RUNTIME_DIR=" + runtime, "MARLET_PDF_DIR=" + pdfFolder,
                                     "HOME=" + folder.file(""),
                                     "CUPS_SERVER=" + folder.file("no-cupsd.socket"),
                                     "MARLET_CAPTURE_LISTEN=127.0.0.1:" + std::to_string(port)},
            folder.file("marlet.log"));
    }

    // The one PDF the report became, once it is there.
    std::string printedReport() {
        std::string found;
        waitFor(
            [&] {
                for (const auto& entry : fs::directory_iterator(pdfFolder))
                    if (entry.path().extension() == ".pdf")
                        found = entry.path().string();
                return !found.empty();
            },
            std::chrono::seconds(30));
        return found;
    }

    void expectReport(const std::string& pdf) {
        ASSERT_FALSE(pdf.empty()) << readFileBytes(folder.file("marlet.log")).value_or("");
        EXPECT_EQ(pdfWords(pdf), ReportWords);
        // The top frame is one line across the report's 32 cells of 1/12 inch.
        EXPECT_GE(longestDarkRun(pdf), 32 * 100 / 12 - 10);
        EXPECT_EQ(marlet->terminate(), 0);
    }

    TempFolder folder;
    std::string runtime = folder.file("run");
    std::string pdfFolder = folder.file("pdf");
    std::string registry = folder.file("registry.db");
    std::string floppy = folder.file("report.img");
    int port = freeLoopbackPort();
    std::optional<ChildProcess> marlet;
};

} // namespace

TEST_F(EmulatorJob, QemuPrintsThroughTheTcpPort) {
    const std::string parallel = "-parallel tcp:127.0.0.1:9100";
    ASSERT_NE(readme().find(parallel), std::string::npos) << "the README's QEMU line";
    startMarlet();
    ASSERT_TRUE(waitFor([&] { return sendToPort(port, ""); }, std::chrono::seconds(20)))
        << readFileBytes(folder.file("marlet.log")).value_or("");

    ChildProcess qemu("/usr/bin/qemu-system-i386",
                      {"-display", "none", "-monitor", "none", "-serial", "none", "-nodefaults",
                       "-drive", "file=" + floppy + ",format=raw,if=floppy", "-boot", "a",
                       "-parallel", "tcp:127.0.0.1:" + std::to_string(port), "-device",
                       "isa-debug-exit,iobase=0xf4,iosize=4"},
                      {}, folder.file("qemu.log"));
    // The debug-exit port ends QEMU with status 1 for a 0 written to it.
    EXPECT_EQ(qemu.wait(std::chrono::seconds(60)), 1)
        << readFileBytes(folder.file("qemu.log")).value_or("");
    expectReport(printedReport());
}

TEST_F(EmulatorJob, BochsPrintsThroughTheFifo) {
    const std::string fifo = runtime + "/marlet/lpt1";
    const std::string parport = "parport1: enabled=1, file=\"" + fifo + "\"";
    ASSERT_NE(readme().find("parport1: enabled=1, file=\"/run/user/1000/marlet/lpt1\""),
              std::string::npos)
        << "the README's Bochs line";
    startMarlet();
    ASSERT_TRUE(waitFor([&] { return fs::is_fifo(fifo); }, std::chrono::seconds(20)))
        << readFileBytes(folder.file("marlet.log")).value_or("");

    std::ofstream(folder.file("bochsrc"))
        << "megs: 4\n"
           "romimage: file=/usr/share/bochs/BIOS-bochs-latest\n"
           "vgaromimage: file=/usr/share/bochs/VGABIOS-lgpl-latest\n"
           "floppya: 1_44=\""
        << floppy
        << "\", status=inserted\n"
           "boot: floppy\n"
           "display_library: sdl2\n"
           "speaker: enabled=0\n"
           "sound: waveoutdrv=dummy, waveindrv=dummy, midioutdrv=dummy\n"
           "log: /dev/null\n"
        << parport << "\n";
    // Debian's Bochs stops in its debugger first: the command file tells it to go on.
    std::ofstream(folder.file("continue")) << "c\n";
    ChildProcess bochs("/usr/bin/bochs",
                       {"-q", "-f", folder.file("bochsrc"), "-rc", folder.file("continue")},
                       {"SDL_VIDEODRIVER=dummy"}, folder.file("bochs.log"));
    // The shutdown port ends Bochs with status 1.
    EXPECT_EQ(bochs.wait(std::chrono::seconds(60)), 1)
        << readFileBytes(folder.file("bochs.log")).value_or("");
    expectReport(printedReport());
}
