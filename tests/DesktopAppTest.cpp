// The desktop app as a user meets it: marlet on a private X server with a real
// notification area, clicked with xdotool.

#include "config/SettingsPersistence.h"
#include "config/SettingsStore.h"
#include "config/SqliteSettingsStore.h"
#include "support/ChildProcess.h"
#include "support/ShellCommand.h"
#include "support/TempFolder.h"
#include "support/XDesktop.h"

#include "config/FileBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

using namespace marlet;
using namespace marlet::testing;
namespace fs = std::filesystem;

namespace {

const std::string RussianTitle = "Настройки печати DOS-консоли";

std::string readFile(const std::string& path) {
    return readFileBytes(path).value_or("");
}

std::size_t pdfCount(const std::string& folder) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += entry.path().extension() == ".pdf";
    return count;
}

std::string screenshotPath(const std::string& name) {
    fs::create_directories(MARLET_BINARY_DIR "/screenshots");
    return MARLET_BINARY_DIR "/screenshots/" + name + ".png";
}

// A picture in grey levels, one byte a pixel.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> grey;

    int at(int x, int y) const {
        return x < width && y < height ? grey[static_cast<std::size_t>(y) * width + x] : -1;
    }
};

// A binary PGM as pdftoppm -gray writes it.
GreyImage readPgm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maximum = 0;
    GreyImage image;
    in >> magic >> image.width >> image.height >> maximum;
    in.get();
    image.grey.resize(static_cast<std::size_t>(image.width) * image.height);
    in.read(reinterpret_cast<char*>(image.grey.data()),
            static_cast<std::streamsize>(image.grey.size()));
    return in && magic == "P5" ? image : GreyImage{};
}

struct PageBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The bounds of the white pixels right of fromX and below fromY.
PageBox whiteBox(const GreyImage& image, int fromX, int fromY) {
    int left = image.width, top = image.height, right = -1, bottom = -1;
    for (int y = fromY; y < image.height; ++y)
        for (int x = fromX; x < image.width; ++x)
            if (image.at(x, y) == 255) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? PageBox{} : PageBox{left, top, right - left + 1, bottom - top + 1};
}

int inked(const GreyImage& image, const PageBox& box) {
    int count = 0;
    for (int y = box.top; y < box.top + box.height; ++y)
        for (int x = box.left; x < box.left + box.width; ++x)
            count += image.at(x, y) < 128;
    return count;
}

class DesktopAppTest : public ::testing::Test {
protected:
    DesktopAppTest() {
        fs::create_directory(folder.file("run"));
        fs::permissions(folder.file("run"), fs::perms::owner_all);
        fs::create_directory(pdfFolder);
        SqliteSettingsStore store(registry);
        store.setValue(MarletKey, "Spool", folder.file("prnspl"));
        store.setValue(MarletKey, "TimeOut", std::uint32_t{1});
        store.setValue(MarletKey, "Minimize", std::uint32_t{0});
        store.setValue(MarletKey, "Capture", std::uint32_t{0});
    }

    void set(const std::string& name, std::uint32_t value) {
        SqliteSettingsStore(registry).setValue(MarletKey, name, value);
    }
    std::optional<std::uint32_t> stored(const std::string& name) {
        SqliteSettingsStore store(registry);
        return readNumber(store, MarletKey, name);
    }

    std::unique_ptr<ChildProcess> marlet(std::vector<std::string> extra = {},
                                         const std::string& log = "marlet.log",
                                         std::vector<std::string> variables = {}) {
        return marletOn(desktop, std::move(extra), log, std::move(variables));
    }
    std::unique_ptr<ChildProcess> marletOn(XDesktop& screen, std::vector<std::string> extra,
                                           const std::string& log,
                                           std::vector<std::string> variables = {}) {
        std::vector<std::string> arguments{"--data-dir", MARLET_DATA_DIR, "--registry", registry};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        std::vector<std::string> environment = screen.environment();
        for (std::string entry :
             {"XDG_RUNTIME_DIR=" + folder.file("run"), "MARLET_PDF_DIR=" + pdfFolder,
              "HOME=" + folder.file(""), "CUPS_SERVER=" + folder.file("no-cupsd.socket"),
              std::string("QT_QPA_PLATFORM=xcb"),
              "MARLET_CAPTURE_LISTEN=127.0.0.1:" + std::to_string(port)})
            environment.push_back(entry);
        // A variable given twice takes its last value.
        environment.insert(environment.end(), variables.begin(), variables.end());
        return std::make_unique<ChildProcess>(MARLET_BINARY_DIR "/marlet", arguments, environment,
                                              folder.file(log));
    }

    xcb_window_t settingsWindow() {
        std::optional<xcb_window_t> window;
        waitFor([&] { return (window = desktop.windowNamed(RussianTitle)).has_value(); });
        return window.value_or(0);
    }
    // A right click that a busy machine lost is clicked again.
    bool openTrayMenu(xcb_window_t icon) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            desktop.click(icon, 3);
            if (waitFor([&] { return desktop.viewablePopups() == 1; }, std::chrono::seconds(3)))
                return true;
        }
        return false;
    }
    xcb_window_t trayIcon() {
        waitFor([&] { return !desktop.trayIcons("Marlet").empty(); });
        return desktop.trayIcons("Marlet").at(0);
    }
    // A busy machine embeds and paints the icon a while after its window appears: the
    // picture counts once it holds more than one colour and stays so for half a second.
    std::vector<std::uint8_t> settledPixels(xcb_window_t icon) {
        std::vector<std::uint8_t> last;
        waitFor([&] {
            std::vector<std::uint8_t> now = desktop.pixels(icon);
            bool settled = now == last && now.size() >= 8 &&
                           !std::equal(now.begin() + 4, now.end(), now.begin(), now.end() - 4);
            last = std::move(now);
            if (!settled)
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
            return settled;
        });
        return last;
    }

    // Places of controls in the settings window, as the window lays them out on its own.
    struct Spot {
        int x, y;
    };
    static constexpr Spot FontsTab{102, 13};
    static constexpr Spot StartMinimized{359, 104};
    static constexpr Spot QueueFileName{112, 192};
    static constexpr Spot SequencesButton{457, 227};
    static constexpr Spot CodeChartButton{287, 198};
    void clickAt(xcb_window_t window, Spot spot) {
        desktop.xdotool("mousemove --window " + std::to_string(window) + " " +
                        std::to_string(spot.x) + " " + std::to_string(spot.y) + " click 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    std::optional<std::string> storedText(const std::string& name) {
        SqliteSettingsStore store(registry);
        std::optional<std::string> text = readString(store, MarletKey, name);
        return text ? std::optional(textFromStore(*text)) : std::nullopt;
    }

    // Whether the app's capture service is up: the port takes jobs.
    bool captureUp() {
        return waitFor([&] { return fs::exists(folder.file("run/marlet/capture.socket")); });
    }
    // Job N's record in the app's history, and whether it comes to hold a state in time.
    std::string record(int job) { return readFile(history + "/" + std::to_string(job) + ".job"); }
    bool recorded(int job, const std::string& state,
                  std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return waitFor([&] { return record(job).find("status=" + state) != std::string::npos; },
                       limit);
    }

    // A window as the screen shows it, in grey levels as Qt weighs them.
    GreyImage windowGrey(xcb_window_t window) {
        const auto [width, height] = desktop.size(window);
        const std::vector<std::uint8_t> pixels = desktop.pixels(window);
        GreyImage image{width, height, {}};
        if (pixels.size() < static_cast<std::size_t>(width) * height * 4)
            return {};
        image.grey.resize(static_cast<std::size_t>(width) * height);
        for (std::size_t i = 0; i < image.grey.size(); ++i)
            image.grey[i] = static_cast<std::uint8_t>(
                (pixels[i * 4 + 2] * 11 + pixels[i * 4 + 1] * 16 + pixels[i * 4] * 5) / 32);
        return image;
    }

    XDesktop desktop;
    TempFolder folder;
    std::string registry = folder.file("registry.db");
    std::string pdfFolder = folder.file("pdf");
    std::string history = folder.file(".local/state/marlet/jobs");
    int port = freeLoopbackPort();
};

} // namespace

TEST_F(DesktopAppTest, TheTrayIconShowsTheWindowAndItsMenuOnlyWhileTheWindowIsHidden) {
    ASSERT_TRUE(desktop.up);
    auto app = marlet();
    xcb_window_t window = settingsWindow();
    ASSERT_NE(window, 0u) << readFile(folder.file("marlet.log"));
    xcb_window_t icon = trayIcon();
    EXPECT_TRUE(waitFor([&] { return desktop.viewable(window); }));
    EXPECT_EQ(desktop.trayIcons("Marlet").size(), 1u);
    desktop.screenshot(screenshotPath("desktop-window"));

    desktop.click(icon, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(desktop.viewablePopups(), 0) << "no menu while the window shows";

    desktop.close(window);
    EXPECT_TRUE(waitFor([&] { return !desktop.viewable(window); }));
    EXPECT_TRUE(app->running()) << "the close box only hides the window";
    EXPECT_TRUE(openTrayMenu(icon));
    desktop.xdotool("mousemove 10 10");
    desktop.screenshot(screenshotPath("desktop-tray-menu"));
    desktop.xdotool("key Escape");
    EXPECT_TRUE(waitFor([&] { return desktop.viewablePopups() == 0; }));

    desktop.click(icon, 1, 2);
    EXPECT_TRUE(waitFor([&] { return desktop.viewable(window); })) << "a double click shows it";

    // One resident app per user: a second desktop app ends silently, a headless one says so.
    auto second = marlet({}, "second.log");
    EXPECT_EQ(second->wait(std::chrono::seconds(2)), 0);
    EXPECT_EQ(readFile(folder.file("second.log")), "");
    auto headless = marlet({"--headless"}, "headless.log");
    EXPECT_EQ(headless->wait(std::chrono::seconds(5)), 0);
    EXPECT_EQ(readFile(folder.file("headless.log")), "Marlet is already running\n");
    EXPECT_EQ(desktop.windowsNamed(RussianTitle).size(), 1u);

    // Landscape from the tray menu, then "Выход": No keeps the app, Yes ends it.
    desktop.close(window);
    EXPECT_TRUE(waitFor([&] { return !desktop.viewable(window); }));
    ASSERT_TRUE(openTrayMenu(icon));
    desktop.xdotool("mousemove 10 10 key Down Down Down Right Down Return");
    EXPECT_TRUE(waitFor([&] { return desktop.viewablePopups() == 0; }));
    for (const char* answer : {"Escape", "Return"}) {
        ASSERT_TRUE(openTrayMenu(icon));
        desktop.xdotool("mousemove 10 10 key Up Return");
        std::optional<xcb_window_t> question;
        ASSERT_TRUE(waitFor([&] {
            return (question = desktop.windowNamed("Предупреждение")) &&
                   desktop.viewable(*question);
        }));
        if (std::string(answer) == "Escape") {
            desktop.screenshot(screenshotPath("desktop-exit-question"));
            EXPECT_TRUE(desktop.hasProperty(*question, "_NET_WM_ICON"))
                << "the question carries the program's icon, as its other windows do";
        }
        desktop.xdotool(std::string("key ") + answer);
        EXPECT_TRUE(waitFor([&] { return !desktop.viewable(*question); }));
        if (std::string(answer) == "Escape") {
            EXPECT_TRUE(app->running());
        }
    }
    EXPECT_EQ(app->wait(), 0);
    EXPECT_EQ(stored("Orientation"), 1u) << "the exit saved what was changed";
    EXPECT_EQ(readFile(folder.file("marlet.log")), "");
}

TEST_F(DesktopAppTest, AnotherClientsWindowWithTheSettingsCaptionDoesNotStopTheApp) {
    ASSERT_TRUE(desktop.up);
    desktop.showWindow(RussianTitle);
    auto app = marlet();
    EXPECT_TRUE(waitFor([&] { return desktop.windowsNamed(RussianTitle).size() == 2; }))
        << readFile(folder.file("marlet.log"));
    EXPECT_TRUE(app->running());
    EXPECT_EQ(app->terminate(), 0);
    EXPECT_EQ(readFile(folder.file("marlet.log")), "");
}

TEST_F(DesktopAppTest, AJobSentToThePortPrintsWithTheAppInTheTray) {
    ASSERT_TRUE(desktop.up);
    set("Capture", 1);
    set("Minimize", 1);
    auto app = marlet();
    xcb_window_t window = settingsWindow();
    xcb_window_t icon = trayIcon();
    EXPECT_TRUE(waitFor([&] { return !desktop.viewable(window); }))
        << "minimised into the tray at its first activation";
    ASSERT_TRUE(captureUp());
    std::vector<std::uint8_t> idle = settledPixels(icon);

    // A long job: the icon shows its progress frames while it prints.
    std::string job;
    for (int line = 0; line < 60000; ++line)
        job += "Line " + std::to_string(line) + " of a long report\r\n";
    ASSERT_TRUE(sendToPort(port, job));
    bool framesShown = waitFor(
        [&] {
            std::vector<std::uint8_t> now = desktop.pixels(icon);
            return !now.empty() && now != idle;
        },
        std::chrono::seconds(20));
    EXPECT_TRUE(framesShown);
    if (framesShown)
        desktop.screenshot(screenshotPath("desktop-progress"));
    EXPECT_TRUE(waitFor([&] { return pdfCount(pdfFolder) == 1; }, std::chrono::seconds(30)))
        << readFile(folder.file("marlet.log"));
    EXPECT_TRUE(waitFor([&] { return desktop.pixels(icon) == idle; }, std::chrono::seconds(30)))
        << "the icon comes back";
    EXPECT_EQ(app->terminate(), 0);
    EXPECT_EQ(readFile(folder.file("marlet.log")), "");
}

TEST_F(DesktopAppTest, WithoutAutomaticPrintingTheWaitingIconPrintsOnAClick) {
    ASSERT_TRUE(desktop.up);
    set("AutoPrint", 0);
    auto app = marlet();
    ASSERT_NE(settingsWindow(), 0u);
    trayIcon();
    std::ofstream(folder.file("prnspl"), std::ios::binary) << "Waiting job\r\n";
    ASSERT_TRUE(waitFor([&] { return desktop.trayIcons("Marlet").size() == 2; }));
    desktop.screenshot(screenshotPath("desktop-waiting-icon"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(pdfCount(pdfFolder), 0u) << "nothing prints by itself";
    desktop.click(desktop.trayIcons("Marlet").back(), 1);
    EXPECT_TRUE(waitFor([&] { return pdfCount(pdfFolder) == 1; }));
    EXPECT_TRUE(waitFor([&] { return desktop.trayIcons("Marlet").size() == 1; }));
    EXPECT_FALSE(fs::exists(folder.file("prnspl")));
    EXPECT_EQ(app->terminate(), 0);
}

TEST_F(DesktopAppTest, ThreeJobsFromThePortAppearInTheJobsWindowFromTheTrayMenu) {
    ASSERT_TRUE(desktop.up);
    set("Capture", 1);
    set("Minimize", 1);
    auto app = marlet();
    xcb_window_t window = settingsWindow();
    xcb_window_t icon = trayIcon();
    ASSERT_TRUE(waitFor([&] { return !desktop.viewable(window); }));
    ASSERT_TRUE(captureUp());
    const char* const jobs[] = {"First job: invoice 1452\r\n",
                                "Second job: invoice 1453\r\n\x0CIts second page\r\n",
                                "Third job: delivery note\r\n"};
    for (int job = 0; job < 3; ++job) {
        ASSERT_TRUE(sendToPort(port, jobs[job]));
        ASSERT_TRUE(recorded(job + 1, "printed", std::chrono::seconds(30)))
            << readFile(folder.file("marlet.log"));
    }
    // "Задания" is the third item from the menu's end, above "О программе" and "Выход".
    ASSERT_TRUE(openTrayMenu(icon));
    desktop.xdotool("mousemove 10 10 key Up Up Up Return");
    std::optional<xcb_window_t> jobsWindow;
    ASSERT_TRUE(waitFor([&] {
        return (jobsWindow = desktop.windowNamed("Задания")).has_value() &&
               desktop.viewable(*jobsWindow);
    }));
    // The second job's row, then its preview: the white page on the view's grey, right of
    // the list and below the page box.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    desktop.xdotool("mousemove --window " + std::to_string(*jobsWindow) + " 60 50 click 1");
    GreyImage shown;
    PageBox page;
    EXPECT_TRUE(waitFor(
        [&] {
            shown = windowGrey(*jobsWindow);
            page = whiteBox(shown, shown.width * 9 / 20, 40);
            return page.width > 100 && page.height > 100 && inked(shown, page) > 50;
        },
        std::chrono::seconds(30)));
    desktop.screenshot(screenshotPath("desktop-jobs-window"));

    // The same page drawn by poppler at the size the view shows it; the view may show the
    // top of a page taller than itself.
    const std::string pdf = folder.file("second.pdf");
    ASSERT_EQ(runShell(MARLET_BINARY_DIR "/marlet-print --data-dir " MARLET_DATA_DIR
                                         " --registry '" +
                       registry + "' -o '" + pdf + "' '" + history + "/2.prn'")
                  .status,
              0);
    ASSERT_EQ(runShell("pdftoppm -gray -f 1 -l 1 -singlefile -scale-to-x " +
                       std::to_string(page.width) + " -scale-to-y -1 '" + pdf + "' '" +
                       folder.file("poppler") + "'")
                  .status,
              0);
    const GreyImage poppler = readPgm(folder.file("poppler.pgm"));
    ASSERT_GE(poppler.height, page.height - 1)
        << page.left << "," << page.top << " " << page.width << "x" << page.height;
    int differing = 0;
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x)
            differing += std::abs(shown.at(page.left + x, page.top + y) - poppler.at(x, y)) > 64;
    const double share = static_cast<double>(differing) / (page.width * page.height);
    EXPECT_LT(share, 0.02) << share;
    RecordProperty("differing", std::to_string(share));
    EXPECT_EQ(app->terminate(), 0);
    // The PDF printer's notice may be clicked on the way; nothing failed.
    EXPECT_EQ(readFile(folder.file("marlet.log")).find("set aside"), std::string::npos);
}

TEST_F(DesktopAppTest, AJobThatPrintsStopsFromTheTrayMenuWithWholePagesAndTheNextOnePrints) {
    ASSERT_TRUE(desktop.up);
    set("Capture", 1);
    set("Minimize", 1);
    ASSERT_EQ(runShell(MARLET_BINARY_DIR "/marlet-reg --registry '" + registry + "' import " +
                       MARLET_DATA_DIR "/schemes/epson-escp2-24pin.reg && " MARLET_BINARY_DIR
                                       "/marlet-reg --registry '" +
                       registry + "' set . Sequence 'Epson ESC-P2 24-pin'")
                  .status,
              0);
    auto app = marlet();
    xcb_window_t icon = trayIcon();
    ASSERT_TRUE(captureUp());
    std::vector<std::uint8_t> idle = settledPixels(icon);

    // Pages with a band of 24-pin graphics each, so that the job takes some seconds to print.
    std::string job;
    for (int page = 1; page <= 2000; ++page) {
        job += "Page " + std::to_string(page) + " of the long report\r\n";
        for (int band = 0; band < 2; ++band) {
            job += "\x1B*\x27\xA0\x05";
            for (int column = 0; column < 1440 * 3; ++column)
                job += static_cast<char>((column * 7 + page) % 256);
            job += "\r\n";
        }
        job += '\x0C';
    }
    ASSERT_TRUE(sendToPort(port, job));
    ASSERT_TRUE(waitFor([&] { return desktop.pixels(icon) != idle; }, std::chrono::seconds(30)))
        << "the job prints";
    // "Остановить печать" is the fifth item from the menu's end, above "Отмена", "Задания",
    // "О программе" and "Выход".
    ASSERT_TRUE(openTrayMenu(icon));
    desktop.xdotool("mousemove 10 10 key Up Up Up Up Up");
    desktop.screenshot(screenshotPath("desktop-stop-printing"));
    desktop.xdotool("key Return");
    ASSERT_TRUE(recorded(1, "cancelled", std::chrono::seconds(60)))
        << record(1) << readFile(folder.file("marlet.log"));
    ASSERT_EQ(pdfCount(pdfFolder), 1u);
    const std::string first = record(1);
    const int pages = std::stoi(first.substr(first.find("pages=") + 6));
    EXPECT_GT(pages, 0);
    EXPECT_LT(pages, 2000);
    for (const auto& entry : fs::directory_iterator(pdfFolder)) {
        const std::string info = runShell("pdfinfo '" + entry.path().string() + "'").out;
        EXPECT_NE(info.find("Pages:"), std::string::npos);
        EXPECT_EQ(std::stoi(info.substr(info.find("Pages:") + 6)), pages)
            << "the PDF holds the pages the job started, each whole";
        const std::string last =
            runShell("pdftotext -f " + std::to_string(pages) + " -l " + std::to_string(pages) +
                     " '" + entry.path().string() + "' -")
                .out;
        EXPECT_NE(last.find("Page " + std::to_string(pages) + " of the long report"),
                  std::string::npos)
            << last;
    }

    ASSERT_TRUE(sendToPort(port, "The next job\r\n"));
    EXPECT_TRUE(recorded(2, "printed", std::chrono::seconds(30)));
    EXPECT_EQ(pdfCount(pdfFolder), 2u);

    // The end of the session while a job prints stops the job, and then the app.
    ASSERT_TRUE(sendToPort(port, job));
    ASSERT_TRUE(recorded(3, "printing", std::chrono::seconds(30)));
    EXPECT_EQ(app->terminate(), 0);
    EXPECT_NE(record(3).find("status=cancelled"), std::string::npos);
    EXPECT_EQ(readFile(folder.file("marlet.log")), "") << "a cancel is no failure";
}

TEST_F(DesktopAppTest, AtThePageLimitTheJobWaitsForTheUsersAnswer) {
    ASSERT_TRUE(desktop.up);
    set("Capture", 1);
    set("Minimize", 1);
    set("PageLimit", 3);
    auto app = marlet();
    trayIcon();
    ASSERT_TRUE(captureUp());
    std::string job;
    for (int page = 1; page <= 10; ++page)
        job += "Page " + std::to_string(page) + "\r\n\x0C";
    ASSERT_TRUE(sendToPort(port, job));
    std::optional<xcb_window_t> question;
    ASSERT_TRUE(waitFor(
        [&] { return (question = desktop.windowNamed("Marlet")) && desktop.viewable(*question); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(pdfCount(pdfFolder), 0u) << "the job waits for the answer";
    desktop.screenshot(screenshotPath("desktop-page-limit"));
    // Enter gives the default answer: stop.
    desktop.xdotool("key Return");
    EXPECT_TRUE(recorded(1, "cancelled"));
    EXPECT_NE(record(1).find("pages=3\n"), std::string::npos);
    EXPECT_EQ(pdfCount(pdfFolder), 1u) << "the three pages before the limit";
    EXPECT_EQ(app->terminate(), 0);
}

TEST_F(DesktopAppTest, WithoutANotificationAreaTheWindowStaysReachable) {
    XDesktop bare(XDesktop::Tray::None);
    ASSERT_TRUE(bare.up);
    auto app = marletOn(bare, {}, "bare.log");
    std::optional<xcb_window_t> window;
    ASSERT_TRUE(waitFor([&] { return (window = bare.windowNamed(RussianTitle)).has_value(); }));
    EXPECT_TRUE(waitFor([&] { return bare.viewable(*window); }));
    bare.close(*window);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(app->running());
    EXPECT_EQ(app->terminate(), 0);
    EXPECT_EQ(readFile(folder.file("bare.log")), "Cannot create shell notification icon\n");
}

TEST_F(DesktopAppTest, OpeningTheFontsTabAfterOtherClicksKeepsTheStoredFace) {
    ASSERT_TRUE(desktop.up);
    set("MonoSpace", 1);
    SqliteSettingsStore(registry).setValue(MarletKey, "FontName", std::string("Liberation Mono"));
    auto app = marlet();
    xcb_window_t window = settingsWindow();
    ASSERT_TRUE(waitFor([&] { return desktop.viewable(window); }));
    clickAt(window, StartMinimized);
    clickAt(window, StartMinimized);
    clickAt(window, FontsTab);
    desktop.screenshot(screenshotPath("desktop-fonts-tab"));
    EXPECT_EQ(app->terminate(), 0);
    EXPECT_EQ(stored("Minimize"), 0u) << "both clicks reached the switch";
    EXPECT_EQ(storedText("FontName"), "Liberation Mono");
    EXPECT_EQ(readFile(folder.file("marlet.log")), "");
}

TEST_F(DesktopAppTest, ANewQueueFileNameTakesCaptureAlongAndThePdfIsNamedInTheTray) {
    ASSERT_TRUE(desktop.up);
    set("Capture", 1);
    // A click on the message opens the PDF with the desktop's opener.
    fs::create_directory(folder.file("bin"));
    std::ofstream(folder.file("bin/xdg-open"))
        << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << folder.file("opened") << "'\n";
    fs::permissions(folder.file("bin/xdg-open"), fs::perms::owner_all);
    auto app = marlet({}, "marlet.log", {"PATH=" + folder.file("bin") + ":" + std::getenv("PATH")});
    xcb_window_t window = settingsWindow();
    ASSERT_TRUE(waitFor([&] { return desktop.viewable(window); }));
    ASSERT_TRUE(captureUp());

    std::string renamed = folder.file("renamed-queue");
    clickAt(window, QueueFileName);
    desktop.xdotool("key ctrl+a type --delay 5 '" + renamed + "'");
    desktop.xdotool("key Return");
    // Capture starts again on the new file, which takes the service a moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(sendToPort(port, "Sent after the queue file got its new name\r\n"));
    ASSERT_TRUE(waitFor([&] { return pdfCount(pdfFolder) == 1; }, std::chrono::seconds(30)))
        << "the job reached the file the app watches";
    EXPECT_FALSE(fs::exists(folder.file("prnspl")));
    std::string pdf;
    for (const auto& entry : fs::directory_iterator(pdfFolder))
        pdf = entry.path().string();

    // The message pops up from the tray icon; a click on it opens that file.
    ASSERT_TRUE(waitFor([&] { return desktop.viewablePopups() == 1; }))
        << "a message names the PDF";
    desktop.screenshot(screenshotPath("desktop-pdf-message"));
    std::optional<xcb_window_t> message = desktop.viewablePopupWindow();
    ASSERT_TRUE(message);
    desktop.xdotool("mousemove --window " + std::to_string(*message) + " 150 50 click 1");
    // The opener gets the file's URL; the PDF's name has spaces and nothing else to escape.
    std::string url = "file://";
    for (char c : pdf)
        url += c == ' ' ? std::string("%20") : std::string(1, c);
    EXPECT_TRUE(waitFor([&] { return readFile(folder.file("opened")) == url + "\n"; }))
        << readFile(folder.file("opened"));
    EXPECT_EQ(app->terminate(), 0);
    EXPECT_EQ(storedText("Spool"), renamed);
    EXPECT_EQ(readFile(folder.file("marlet.log")), "");
}

TEST_F(DesktopAppTest, TheWaitingIconComesInBesideTheMainIconWhicheverWayTheAreaFills) {
    for (XDesktop::Tray side : {XDesktop::Tray::Shown, XDesktop::Tray::ShownLeft}) {
        XDesktop screen(side);
        ASSERT_TRUE(screen.up);
        set("AutoPrint", 0);
        fs::remove(folder.file("prnspl"));
        auto app = marletOn(screen, {}, "marlet.log", {});
        std::optional<xcb_window_t> window;
        ASSERT_TRUE(
            waitFor([&] { return (window = screen.windowNamed(RussianTitle)).has_value(); }));
        ASSERT_TRUE(waitFor([&] { return screen.trayIcons("Marlet").size() == 1; }));
        std::pair<int, int> mainSpot = screen.position(screen.trayIcons("Marlet").front());
        screen.close(*window);
        ASSERT_TRUE(waitFor([&] { return !screen.viewable(*window); }));

        std::ofstream(folder.file("prnspl"), std::ios::binary) << "Waiting job\r\n";
        ASSERT_TRUE(waitFor([&] { return screen.trayIcons("Marlet").size() == 2; }));
        // The main icon may be put in again once the area has made room for the newcomer.
        std::this_thread::sleep_for(std::chrono::milliseconds(2000));
        ASSERT_EQ(screen.trayIcons("Marlet").size(), 2u);
        screen.screenshot(screenshotPath(side == XDesktop::Tray::Shown ? "desktop-waiting-right"
                                                                       : "desktop-waiting-left"));
        // A double click where the main icon was shows the window and prints nothing.
        screen.xdotool("mousemove " + std::to_string(mainSpot.first + 8) + " " +
                       std::to_string(mainSpot.second + 8) + " click --repeat 2 --delay 60 1");
        EXPECT_TRUE(waitFor([&] { return screen.viewable(*window); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_EQ(pdfCount(pdfFolder), 0u);
        EXPECT_TRUE(fs::exists(folder.file("prnspl")));
        EXPECT_EQ(app->terminate(), 0);
    }
}

TEST_F(DesktopAppTest, UnderAWindowManagerTheFixedSizeWindowsCanBeNeitherResizedNorMaximised) {
    XDesktop framed(XDesktop::Tray::Shown, XDesktop::Frames::Openbox);
    ASSERT_TRUE(framed.up);
    auto app = marletOn(framed, {}, "marlet.log");
    // Each window: what the window manager lets the user do with it, and a request to
    // maximise it (as a panel or a key binding sends) that leaves its size alone.
    auto fixedSize = [&](const std::string& caption, const std::string& shot) {
        SCOPED_TRACE(caption);
        std::optional<xcb_window_t> window;
        ASSERT_TRUE(waitFor([&] {
            return (window = framed.windowNamed(caption)) && framed.viewable(*window) &&
                   !framed.allowedActions(*window).empty();
        }));
        const std::vector<std::string> actions = framed.allowedActions(*window);
        for (const char* refused : {"_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                                    "_NET_WM_ACTION_MAXIMIZE_VERT"})
            EXPECT_EQ(std::ranges::count(actions, refused), 0) << refused;
        EXPECT_EQ(std::ranges::count(actions, "_NET_WM_ACTION_CLOSE"), 1);
        // A window takes its fixed size once it is shown: the size counts once it holds.
        std::pair<int, int> size = framed.size(*window);
        waitFor([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return std::exchange(size, framed.size(*window)) == size;
        });
        framed.askToMaximise(*window);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_EQ(framed.size(*window), size);
        framed.screenshot(screenshotPath(shot));
    };
    // A click that a busy machine lost is clicked again.
    auto open = [&](Spot spot, const std::string& caption) {
        std::optional<xcb_window_t> window = framed.windowNamed(RussianTitle);
        ASSERT_TRUE(window);
        for (int attempt = 0; attempt < 3; ++attempt) {
            framed.xdotool("mousemove --window " + std::to_string(*window) + " " +
                           std::to_string(spot.x) + " " + std::to_string(spot.y) + " click 1");
            std::optional<xcb_window_t> opened;
            if (waitFor(
                    [&] {
                        return (opened = framed.windowNamed(caption)) && framed.viewable(*opened);
                    },
                    std::chrono::seconds(3)))
                return;
        }
        ADD_FAILURE() << caption << " did not open";
    };
    fixedSize(RussianTitle, "openbox-settings-ru");
    open(SequencesButton, "Esc-Последовательности");
    fixedSize("Esc-Последовательности", "openbox-scheme-editor-ru");
    framed.close(framed.windowNamed("Esc-Последовательности").value_or(0));
    EXPECT_TRUE(waitFor([&] {
        std::optional<xcb_window_t> editor = framed.windowNamed("Esc-Последовательности");
        return !editor || !framed.viewable(*editor);
    }));
    framed.xdotool("mousemove --window " +
                   std::to_string(framed.windowNamed(RussianTitle).value_or(0)) + " " +
                   std::to_string(FontsTab.x) + " " + std::to_string(FontsTab.y) + " click 1");
    open(CodeChartButton, "ASCII Chart");
    fixedSize("ASCII Chart", "openbox-code-chart-ru");
    EXPECT_EQ(readFile(folder.file("marlet.log")), "");
}
