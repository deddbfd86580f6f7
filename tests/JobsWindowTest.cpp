// "Задания" offscreen inside the desktop app: the kept jobs listed, the selected job's first
// page previewed as its PDF holds it, the byte view, print again and delete; in both
// languages.

#include "ui/JobsWindow.h"

#include "support/FakeCatalog.h"
#include "support/InProcessJobs.h"
#include "support/MemorySettingsStore.h"
#include "support/ShellCommand.h"
#include "support/TempFolder.h"
#include "ui/DesktopActions.h"
#include "ui/DesktopApp.h"

#include <QApplication>
#include <QImage>
#include <QPdfView>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace marlet;
using namespace marlet::testing;
namespace fs = std::filesystem;

namespace {

std::string screenshotPath(const std::string& name) {
    fs::create_directories(MARLET_BINARY_DIR "/screenshots");
    return MARLET_BINARY_DIR "/screenshots/" + name + ".png";
}

// The bounds of the white page on the view's grey background.
QRect pageIn(const QImage& image) {
    QRect page;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(255, 255, 255))
                page |= QRect(x, y, 1, 1);
    return page;
}

// The pixels darker than mid-grey: the ink of the text and the frames.
int inked(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qGray(image.pixel(x, y)) < 128;
    return count;
}

// The share of pixels whose grey levels differ by more than a quarter of the range.
double differingShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull())
        return 1.0;
    long long differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 64;
    return static_cast<double>(differing) / (a.width() * a.height());
}

class JobsWindowTest : public ::testing::Test {
protected:
    JobsWindowTest() : m_previous(fs::current_path()) {
        setenv("XDG_STATE_HOME", folder.file("state").c_str(), 1);
        setenv("MARLET_REGISTRY", folder.file("none.db").c_str(), 1);
        fs::current_path(MARLET_DATA_DIR);
        store.setValue(MarletKey, "Capture", std::uint32_t{0});
        store.setValue(MarletKey, "Minimize", std::uint32_t{1});
        store.setValue(MarletKey, "Spool", folder.file("prnspl"));
        // Three jobs as the resident keeps them.
        const std::string bodies[] = {"First job: invoice 1452\r\n",
                                      "\x1B"
                                      "BInvoice 1453\x1B"
                                      "b\r\n"
                                      "+------+--------+\r\n| Item | Amount |\r\n"
                                      "+------+--------+\r\n| Pens |  12.50 |\r\n"
                                      "| Ink  | 140.00 |\r\n| Tape |   3.20 |\r\n"
                                      "+------+--------+\r\n| All  | 155.70 |\r\n"
                                      "+------+--------+\r\n\x0CSecond page\r\n",
                                      "Third job: delivery note\r\n"};
        for (const std::string& body : bodies) {
            std::ofstream(folder.file("job.prn"), std::ios::binary) << body;
            JobRecord record;
            record.status = JobStatus::Printed;
            record.when = 1796626800;
            record.destination = "PDF printer";
            history.add(folder.file("job.prn"), record, {10, 10});
        }
        app.setPreviewPrinter(MARLET_BINARY_DIR "/marlet-print", {});
        app.start();
    }
    ~JobsWindowTest() override {
        fs::current_path(m_previous);
        unsetenv("XDG_STATE_HOME");
        unsetenv("MARLET_REGISTRY");
    }

    fs::path m_previous;
    TempFolder folder;
    JobHistory history{folder.file("state/marlet/jobs")};
    MemorySettingsStore store;
    FakeCatalog catalog;
    InProcessJobs jobs;
    DesktopApp app{catalog, store, jobs, DriverLocation{}};
};

} // namespace

TEST_F(JobsWindowTest, TheJobsAreListedAndTheSecondPreviewsAsItsPdfHoldsIt) {
    JobsWindow& window = app.jobsWindow();
    app.actions().jobs.trigger();
    ASSERT_TRUE(window.isVisible());
    QTreeWidget& list = window.list();
    ASSERT_EQ(list.topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list.topLevelItem(i)->text(0), QString::number(i + 1));
        EXPECT_EQ(list.topLevelItem(i)->text(2), QStringLiteral("напечатано"));
    }
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Задания"));

    // The preview is drawn in the background: the window answers meanwhile.
    window.select(2);
    EXPECT_TRUE(window.previewBusy());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.previewBusy(); }, 30000));
    ASSERT_EQ(window.preview().pageCount(), 2) << "the form feed starts a second page";
    // The view draws its pages on a thread of its own: the page counts once it has ink.
    QImage shown;
    for (int tries = 0; tries < 200 && inked(shown) == 0; ++tries) {
        QTest::qWait(50);
        shown =
            window.previewView().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    shown.save(QString::fromStdString(screenshotPath("jobs-preview")));
    const QRect page = pageIn(shown);
    ASSERT_GT(page.width(), 100);
    ASSERT_GT(page.height(), 100);

    // The same page drawn by poppler at the size the view shows it.
    const std::string pdf = folder.file("second.pdf");
    ASSERT_EQ(runShell(MARLET_BINARY_DIR "/marlet-print --data-dir " MARLET_DATA_DIR " -o '" + pdf +
                       "' '" + history.bytesPath(2) + "'")
                  .status,
              0);
    // The view may show the top of a page taller than itself: poppler draws the whole page
    // at the width shown, and its top part is compared.
    const QSizeF points = window.preview().pagePointSize(0);
    const int fullHeight = qRound(page.width() * points.height() / points.width());
    ASSERT_GE(fullHeight, page.height() - 1);
    ASSERT_EQ(runShell("pdftoppm -png -f 1 -l 1 -singlefile -scale-to-x " +
                       std::to_string(page.width()) + " -scale-to-y " + std::to_string(fullHeight) +
                       " '" + pdf + "' '" + folder.file("poppler") + "'")
                  .status,
              0);
    const QImage poppler = QImage(QString::fromStdString(folder.file("poppler.png")))
                               .convertToFormat(QImage::Format_RGB32)
                               .copy(0, 0, page.width(), page.height());
    EXPECT_GT(inked(poppler), 200);
    EXPECT_NEAR(inked(shown.copy(page)), inked(poppler), inked(poppler) / 4);
    const double share = differingShare(shown.copy(page), poppler);
    EXPECT_LT(share, 0.02) << share;
    RecordProperty("differing", std::to_string(share));

    // The byte view marks the escape sequences and the form feed.
    const QString bytes = window.byteView();
    EXPECT_TRUE(bytes.contains(QStringLiteral("00000000  1B 42 ")));
    EXPECT_TRUE(bytes.contains(QStringLiteral("[ESC B] built-in sequence: bold")));
    EXPECT_TRUE(bytes.contains(QStringLiteral("[FF] control code: form feed, a new page")));

    window.grab().save(QString::fromStdString(screenshotPath("jobs-window-ru")));
    app.session().app().setLanguage("English");
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Jobs"));
    EXPECT_EQ(list.topLevelItem(1)->text(2), QStringLiteral("printed"));
    window.grab().save(QString::fromStdString(screenshotPath("jobs-window-en")));

    // With automatic printing off, the job that waits in the queue comes first and previews.
    app.session().app().setAutoPrint(false);
    std::ofstream(folder.file("prnspl"), std::ios::binary)
        << "Waiting job\r\n\x0CPage 2\x0CPage 3\r\n";
    window.refresh();
    ASSERT_EQ(list.topLevelItemCount(), 4);
    EXPECT_EQ(list.topLevelItem(0)->text(0), QString());
    EXPECT_EQ(list.topLevelItem(0)->text(2), QStringLiteral("waiting"));
    window.select(-1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.previewBusy(); }, 30000));
    EXPECT_EQ(window.preview().pageCount(), 3);
    EXPECT_TRUE(window.byteView().contains(QStringLiteral("printed: \"Waiting job\"")));
    // More bytes come while it waits: the next look draws them too.
    std::ofstream(folder.file("prnspl"), std::ios::app | std::ios::binary) << "\x0CPage 4\r\n";
    window.refresh();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.previewBusy(); }, 30000));
    EXPECT_EQ(window.preview().pageCount(), 4);
    // A job its sender ended waits first, the bytes that came after it behind.
    std::ofstream(folder.file("prnspl.ended"), std::ios::binary) << "Ended job\r\n";
    window.refresh();
    ASSERT_EQ(list.topLevelItemCount(), 5);
    EXPECT_EQ(list.topLevelItem(1)->text(2), QStringLiteral("waiting"));
    window.select(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.previewBusy(); }, 30000));
    EXPECT_EQ(window.preview().pageCount(), 1);
    EXPECT_TRUE(window.byteView().contains(QStringLiteral("printed: \"Ended job\"")));
    window.select(-1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.previewBusy(); }, 30000));
    EXPECT_EQ(window.preview().pageCount(), 4);
    fs::remove(folder.file("prnspl.ended"));
    app.session().app().setAutoPrint(true);
    window.refresh();
    ASSERT_EQ(list.topLevelItemCount(), 3);
    window.select(2);

    // While a job prints, it can be stopped here, and nothing prints again meanwhile.
    auto button = [&](const char* text) {
        for (QPushButton* candidate : window.findChildren<QPushButton*>())
            if (candidate->text() == QString::fromUtf8(text))
                return candidate;
        return static_cast<QPushButton*>(nullptr);
    };
    ASSERT_NE(button("Stop printing"), nullptr);
    EXPECT_FALSE(button("Stop printing")->isEnabled());
    window.showPrinting(true);
    EXPECT_TRUE(button("Stop printing")->isEnabled());
    EXPECT_FALSE(button("Print again")->isEnabled());
    button("Stop printing")->click();
    EXPECT_EQ(jobs.cancels, 1);
    window.showPrinting(false);
    EXPECT_FALSE(button("Stop printing")->isEnabled());

    // Print again goes to the session's printer; delete takes the job off the list.
    button("Print again")->click();
    EXPECT_EQ(jobs.printers.size(), 1u);
    button("Delete")->click();
    EXPECT_FALSE(history.find(2));
    EXPECT_EQ(list.topLevelItemCount(), 2);
}
