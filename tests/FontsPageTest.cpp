// The fonts page offscreen over a resident session: the font list and its pictures, the
// fixed-pitch filter, the size box, the page figures against marlet-print's, the captions
// in both languages, and screenshots.

#include "FontsPage.h"
#include "ApplicationSignals.h"
#include "Artwork.h"
#include "CodeChartWindow.h"
#include "FontListDelegate.h"
#include "PageParamsGroup.h"
#include "app/ResidentSession.h"
#include "config/SqliteSettingsStore.h"
#include "pdf/PdfPageDevice.h"
#include "support/ChildProcess.h"
#include "support/FakeDevice.h"
#include "support/InProcessJobs.h"
#include "support/MemorySettingsStore.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

using namespace marlet;
using namespace marlet::testing;
namespace fs = std::filesystem;

namespace {

using Faces = std::vector<std::string>;

const Faces Families{"Courier New", "DejaVu Sans", "DejaVu Sans Mono", "Liberation Mono",
                     "Liberation Sans"};

/// A printer on which the faces named proportional give "!" half the width of "W".
class FacePrinter : public FakeDevice {
public:
    explicit FacePrinter(const std::set<std::string>& proportionalFaces)
        : m_proportionalFaces(proportionalFaces) {}

    TextExtent textExtent(std::u16string_view text) const override {
        TextExtent extent = FakeDevice::textExtent(text);
        if (text == u"!" && m_proportionalFaces.contains(canvasFont().face))
            extent.width /= 2;
        return extent;
    }

private:
    const std::set<std::string>& m_proportionalFaces;
};

/// One printer, "Office": a FacePrinter, or the PDF printer's A4 sheet with real faces.
class FakeCatalog : public PrinterCatalog {
public:
    std::vector<std::string> printers() const override { return {"Office"}; }
    std::string defaultPrinter() const override { return "Office"; }
    std::vector<std::string> fontFamilies(const std::string&) const override { return families; }
    std::unique_ptr<PageDevice> open(const std::string&) const override {
        if (pdfSheet)
            return std::make_unique<PdfPageDevice>(
                VirtualPaper{}, std::make_unique<PdfFileDestination>("/dev/null"));
        return std::make_unique<FacePrinter>(proportionalFaces);
    }

    bool pdfSheet = false;
    /// The faces the printer lists; the test may take some away.
    Faces families = Families;
    /// The faces the fake printer measures as proportional; the test may change them.
    std::set<std::string> proportionalFaces{"DejaVu Sans", "Liberation Sans"};
};

class FakeHost : public ResidentHost {
public:
    void reportError(const std::string&) override {}
    void enableQueueCommands(bool) override {}
    void showWaitingIcon(bool) override {}
    void armQueueTimer(int) override {}
    void showFrame(int) override {}
    void restoreIcon() override {}
};

QStringList texts(const QListWidget& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items.push_back(list.item(i)->text());
    return items;
}

QString plain(QString caption) {
    return caption.remove(QLatin1Char('&'));
}

// Runs in the shipped data folder, as the programs do, with the interface font of the
// settings window.
class FontsPageTest : public ::testing::Test {
protected:
    FontsPageTest() : m_previous(fs::current_path()) {
        fs::current_path(MARLET_DATA_DIR);
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        store.setValue(MarletKey, "Capture", std::uint32_t{0});
        store.setValue(MarletKey, "Spool", folder.file("prnspl"));
    }
    ~FontsPageTest() override { fs::current_path(m_previous); }

    /// Start-up as the desktop app runs it: the page exists before the session starts.
    void startUp() {
        session = std::make_unique<ResidentSession>(catalog, store, host, jobs, DriverLocation{});
        signals_ = std::make_unique<ApplicationSignals>(session->app());
        page = std::make_unique<FontsPage>(
            *session, *signals_, [this](const std::string& message) { errors.push_back(message); });
        session->startUp();
        page->markFontListsFilled();
    }

    Application& app() { return session->app(); }
    template <typename T>
    T& child(const char* name) {
        T* found = page->findChild<T*>(QLatin1String(name));
        if (!found)
            throw std::runtime_error(std::string("no control ") + name);
        return *found;
    }
    QListWidget& fontList() { return child<QListWidget>("fontList"); }
    void click(QCheckBox& box) { box.click(); }

    TempFolder folder;
    MemorySettingsStore store;
    FakeCatalog catalog;
    FakeHost host;
    InProcessJobs jobs;
    std::vector<std::string> errors;
    std::unique_ptr<ResidentSession> session;
    std::unique_ptr<ApplicationSignals> signals_;
    std::unique_ptr<FontsPage> page;

private:
    fs::path m_previous;
};

/// The 15 x 13 pixels a picture shows at the top-left corner of a line of that colour,
/// left of the name.
QImage pictureOnLine(const QString& name, const QColor& line) {
    QImage expected(15, FontListDelegate::LineHeight, QImage::Format_RGB32);
    expected.fill(line);
    QPainter painter(&expected);
    painter.drawPixmap(0, 0, Artwork::picture(name));
    return expected;
}

} // namespace

TEST_F(FontsPageTest, AProportionalFaceShowsPictureOneTheProportionalNoteAndNoCharacterCount) {
    startUp();
    QStringList all;
    for (const std::string& face : Families)
        all.push_back(QString::fromStdString(face));
    EXPECT_EQ(texts(fontList()), all);
    ASSERT_TRUE(fontList().currentItem());
    EXPECT_EQ(fontList().currentItem()->text(), QStringLiteral("Courier New"));
    QLabel& note = child<QLabel>("note");
    EXPECT_EQ(note.text(), QStringLiteral("Моноширный шрифт."));
    EXPECT_FALSE(child<QLabel>("chars").isHidden());

    fontList().setCurrentRow(1);
    EXPECT_EQ(app().settings().FontName, "DejaVu Sans");
    EXPECT_EQ(note.text(),
              QStringLiteral("Пропорциональный шрифт. Не рекомендуется использовать."));
    for (const char* name : {"horizontalCaption", "chars", "charsUnit"})
        EXPECT_TRUE(child<QLabel>(name).isHidden()) << name;
    EXPECT_FALSE(child<QLabel>("lines").isHidden());
    EXPECT_EQ(child<QLabel>("faceName").text(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(child<QLabel>("sample").font().family(), QStringLiteral("DejaVu Sans"));

    // Each line's picture sits at its top-left corner on the line's own background; the
    // name starts in the picture's last column.
    QImage shown = fontList().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto pictureAt = [&](int row) {
        QRect line = fontList().visualItemRect(fontList().item(row));
        EXPECT_EQ(line.height(), FontListDelegate::LineHeight);
        return std::pair(shown.copy(line.left(), line.top(), 15, FontListDelegate::LineHeight),
                         QColor(shown.pixel(line.right() - 2, line.top() + 6)));
    };
    auto [proportional, selected] = pictureAt(1);
    EXPECT_EQ(proportional, pictureOnLine(QStringLiteral("proportional"), selected));
    auto [fixed, plainLine] = pictureAt(0);
    EXPECT_EQ(fixed, pictureOnLine(QStringLiteral("fixed-pitch"), plainLine));
    EXPECT_NE(selected, plainLine);
    EXPECT_TRUE(errors.empty());
}

TEST_F(FontsPageTest, TheFilterCheckedAtStartUpKeepsTheNewPlaceholderUntilTheTabOpens) {
    store.setValue(MarletKey, "MonoSpace", std::uint32_t{1});
    startUp();
    QCheckBox& filter = child<QCheckBox>("monoSpaceOnly");
    EXPECT_TRUE(filter.isChecked());
    EXPECT_EQ(texts(fontList()), QStringList{QStringLiteral("New")});
    page->activate();
    EXPECT_EQ(texts(fontList()), QStringList{QStringLiteral("New")});
    EXPECT_TRUE(fontList().selectedItems().isEmpty());

    page->fontsTabShown();
    EXPECT_EQ(texts(fontList()),
              (QStringList{"Courier New", "DejaVu Sans Mono", "Liberation Mono"}));
    ASSERT_TRUE(fontList().currentItem());
    EXPECT_EQ(fontList().currentItem()->text(), QStringLiteral("Courier New"));

    click(filter);
    EXPECT_FALSE(app().settings().MonoSpace);
    EXPECT_EQ(fontList().count(), static_cast<int>(Families.size()));
    EXPECT_EQ(fontList().currentItem()->text(), QStringLiteral("Courier New"));
}

TEST_F(FontsPageTest, TheListTakingTheFocusStoresNoFaceOnlyAPickDoes) {
    store.setValue(MarletKey, "MonoSpace", std::uint32_t{1});
    store.setValue(MarletKey, "FontName", std::string("DejaVu Sans Mono"));
    startUp();
    // The focus makes the placeholder's line current, as a tab's first control gets it.
    for (bool built : {false, true}) {
        if (built)
            page->fontsTabShown();
        fontList().setCurrentRow(-1);
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(&fontList(), &focus);
        ASSERT_TRUE(fontList().currentItem()) << built;
        EXPECT_EQ(app().settings().FontName, "DejaVu Sans Mono") << built;
    }
    fontList().item(2)->setSelected(true);
    EXPECT_EQ(app().settings().FontName, "Liberation Mono");
    EXPECT_TRUE(errors.empty());
}

TEST_F(FontsPageTest, APrinterWithoutFixedPitchFacesKeepsAnEmptyListAndOneFaceIsBuiltEachTime) {
    catalog.proportionalFaces = {Families.begin(), Families.end()};
    store.setValue(MarletKey, "MonoSpace", std::uint32_t{1});
    startUp();
    page->fontsTabShown();
    EXPECT_EQ(fontList().count(), 0);

    // Were the list built again, every face would pass now.
    catalog.proportionalFaces.clear();
    QCheckBox& filter = child<QCheckBox>("monoSpaceOnly");
    click(filter);
    EXPECT_EQ(fontList().count(), static_cast<int>(Families.size()));
    click(filter);
    EXPECT_EQ(fontList().count(), 0) << "an empty list counts as built";
    page->fontsTabShown();
    EXPECT_EQ(fontList().count(), 0);
}

TEST_F(FontsPageTest, AListOfOneFixedPitchFaceIsBuiltAgainWhenNextNeeded) {
    catalog.proportionalFaces = {"Courier New", "DejaVu Sans", "DejaVu Sans Mono",
                                 "Liberation Sans"};
    store.setValue(MarletKey, "MonoSpace", std::uint32_t{1});
    startUp();
    page->fontsTabShown();
    EXPECT_EQ(texts(fontList()), QStringList{QStringLiteral("Liberation Mono")});

    catalog.proportionalFaces = {"DejaVu Sans", "Liberation Sans"};
    QCheckBox& filter = child<QCheckBox>("monoSpaceOnly");
    click(filter);
    click(filter);
    EXPECT_EQ(texts(fontList()),
              (QStringList{"Courier New", "DejaVu Sans Mono", "Liberation Mono"}));
}

TEST_F(FontsPageTest, TextThatIsNotAnIntegerKeepsTheSize) {
    startUp();
    QComboBox& size = child<QComboBox>("size");
    EXPECT_EQ(size.currentText(), QStringLiteral("10"));
    EXPECT_EQ(size.count(), 16);

    size.setEditText(QStringLiteral("abc"));
    EXPECT_EQ(errors, std::vector<std::string>{"'abc' is not a valid integer value"});
    EXPECT_EQ(app().settings().FontSize, 10);
    EXPECT_EQ(size.currentText(), QStringLiteral("abc"));

    size.setEditText(QStringLiteral("14"));
    EXPECT_EQ(app().settings().FontSize, 14);
    size.setCurrentIndex(size.findText(QStringLiteral("72")));
    EXPECT_EQ(app().settings().FontSize, 72);
    EXPECT_EQ(errors.size(), 1u);
}

namespace {

/// What `marlet-print --geometry` prints for these settings on the PDF printer's sheet.
std::string printedGeometry(const TempFolder& folder, const std::vector<std::string>& settings) {
    // An empty store of its own: the user's stored settings must not count.
    const std::string registry = folder.file("empty.db");
    SqliteSettingsStore{registry};
    std::vector<std::string> arguments{"--data-dir", MARLET_DATA_DIR, "--registry", registry,
                                       "--geometry"};
    for (const std::string& setting : settings) {
        arguments.push_back("--set");
        arguments.push_back(setting);
    }
    std::string output = folder.file("geometry.txt");
    ChildProcess print(MARLET_BINARY_DIR "/marlet-print", arguments, {}, output);
    EXPECT_EQ(print.wait(), 0);
    std::ifstream in(output);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

TEST_F(FontsPageTest, SizeAndMarginsGiveTheFiguresAndOriginOfTheCommandLine) {
    catalog.pdfSheet = true;
    startUp();
    auto shown = [&] {
        const PageGeometry& g = app().geometry();
        std::ostringstream line;
        line << "origin=" << g.OriginX << "," << g.OriginY << " cell=" << g.CellWidth << "x"
             << g.FontHeight << " line=" << g.LineHeight
             << " chars=" << child<QLabel>("chars").text().toStdString()
             << " lines=" << child<QLabel>("lines").text().toStdString()
             << " monospace=" << (child<QLabel>("chars").isHidden() ? 0 : 1);
        return line.str();
    };

    child<QComboBox>("size").setEditText(QStringLiteral("12"));
    EXPECT_EQ(app().settings().FontSize, 12);
    EXPECT_EQ(shown(), printedGeometry(folder, {"FontSize=12"}));
    EXPECT_EQ(shown(), "origin=-6,-6 cell=60x113 line=113 chars=78 lines=59 monospace=1");

    child<QSpinBox>("topMargin").setValue(20);
    child<QSpinBox>("leftMargin").setValue(-3);
    EXPECT_EQ(app().settings().TopMargin, 20);
    EXPECT_EQ(shown(), printedGeometry(folder, {"FontSize=12", "TopMargin=20", "LeftMargin=-3"}));
    // 400 mm is more than the A4 sheet holds: the boxes stop where one line of one
    // character is left (7016 - 100 - 1.5 x 113 pixels down, 4960 - 100 - 1.5 x 60 across).
    child<QSpinBox>("topMargin").setValue(400);
    child<QSpinBox>("leftMargin").setValue(400);
    EXPECT_EQ(app().settings().TopMargin, 285);
    EXPECT_EQ(app().settings().LeftMargin, 201);
    EXPECT_EQ(app().figures().linesPerPage, 1);
    EXPECT_EQ(app().figures().charsPerLine, 1);
    EXPECT_TRUE(errors.empty());
}

TEST_F(FontsPageTest, ChangesMadeElsewhereShowAndActivationSelectsTheCurrentEntries) {
    startUp();
    app().setSampleFont("Liberation Mono", 14, FontStyle{true, false, true, false});
    EXPECT_TRUE(child<QCheckBox>("bold").isChecked());
    EXPECT_FALSE(child<QCheckBox>("italic").isChecked());
    EXPECT_TRUE(child<QCheckBox>("underline").isChecked());
    EXPECT_EQ(child<QComboBox>("size").currentText(), QStringLiteral("14"));
    EXPECT_EQ(child<QLabel>("faceName").text(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(fontList().currentItem()->text(), QStringLiteral("Liberation Mono"));
    app().setSampleFont("Liberation Mono", 14, FontStyle{});
    EXPECT_FALSE(child<QCheckBox>("bold").isChecked());

    child<QCheckBox>("italic").click();
    EXPECT_TRUE(app().settings().FontItalic);
    EXPECT_TRUE(child<QLabel>("sample").font().italic());

    app().setMargins(Margins{7, 9});
    EXPECT_EQ(child<QSpinBox>("topMargin").value(), 7);
    EXPECT_EQ(child<QSpinBox>("leftMargin").value(), 9);

    QComboBox& codePage = child<QComboBox>("codePage");
    EXPECT_EQ(codePage.count(), static_cast<int>(app().codePages().size()));
    EXPECT_EQ(codePage.currentText(), QStringLiteral("866"));
    emit codePage.textActivated(QStringLiteral("437"));
    EXPECT_EQ(app().settings().CodePage, "437");
    EXPECT_EQ(app().codePage().code(0x80), 199);
    app().setCodePage("852");
    EXPECT_EQ(codePage.currentText(), QStringLiteral("852"));

    app().setMonoSpaceOnly(true);
    EXPECT_TRUE(child<QCheckBox>("monoSpaceOnly").isChecked());
    EXPECT_EQ(texts(fontList()),
              (QStringList{"Courier New", "DejaVu Sans Mono", "Liberation Mono"}));

    // Activation selects what is current, or nothing when the list lacks it.
    {
        // Another entry shows, as after the user scrolled; nothing is chosen.
        QSignalBlocker quiet(fontList());
        fontList().setCurrentRow(0);
    }
    codePage.setCurrentIndex(0);
    page->activate();
    EXPECT_EQ(fontList().currentItem()->text(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(codePage.currentText(), QStringLiteral("852"));
    app().setSampleFont("Liberation Sans", 14, FontStyle{});
    page->activate();
    EXPECT_TRUE(fontList().selectedItems().isEmpty());

    child<QToolButton>("chartButton").click();
    EXPECT_TRUE(page->chartWindow().isVisible());
    EXPECT_TRUE(errors.empty());
}

TEST_F(FontsPageTest, EveryCaptionFitsInBothLanguages) {
    catalog.pdfSheet = true;
    startUp();
    const QRect pageArea(QPoint(0, 0), FontsPage::PageSize);
    EXPECT_EQ(page->size(), FontsPage::PageSize);
    for (const char* language : {"Русский", "English"}) {
        SCOPED_TRACE(language);
        app().setLanguage(language);
        if (std::string(language) == "English")
            fontList().setCurrentRow(1);

        for (QCheckBox* box : page->findChildren<QCheckBox*>()) {
            QStyle* style = box->style();
            int needed = QFontMetrics(box->font()).horizontalAdvance(plain(box->text())) +
                         style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
                         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
            EXPECT_LE(needed, box->width()) << box->text().toStdString();
        }
        for (QLabel* label : page->findChildren<QLabel*>()) {
            QFontMetrics metrics(label->font());
            if (label->wordWrap()) {
                for (TextKey note : {TextKey::MonoSpace, TextKey::Proportional}) {
                    QString text = QString::fromStdString(app().texts()[note]);
                    QRect needed = metrics.boundingRect(QRect(0, 0, label->width(), 1000),
                                                        Qt::TextWordWrap, text);
                    EXPECT_LE(needed.height(), label->height()) << text.toStdString();
                }
            } else {
                EXPECT_LE(metrics.horizontalAdvance(plain(label->text())), label->width())
                    << label->text().toStdString();
                EXPECT_LE(metrics.height(), label->height()) << label->text().toStdString();
            }
        }
        for (QGroupBox* group : page->findChildren<QGroupBox*>()) {
            int needed = QFontMetrics(group->font()).horizontalAdvance(group->title()) + 16;
            EXPECT_LE(needed, group->width()) << group->title().toStdString();
        }

        // The page's own controls stay inside it and clear of each other.
        QList<QWidget*> controls = page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        controls.removeAll(&page->chartWindow());
        for (QWidget* control : controls) {
            EXPECT_TRUE(pageArea.contains(control->geometry()))
                << control->objectName().toStdString();
            for (QWidget* other : controls) {
                if (other != control && other->isVisibleTo(page.get())) {
                    EXPECT_FALSE(control->geometry().intersects(other->geometry()))
                        << control->objectName().toStdString() << " and "
                        << other->objectName().toStdString();
                }
            }
        }

        QString shots = QStringLiteral(MARLET_BINARY_DIR "/screenshots");
        QDir().mkpath(shots);
        QString name = std::string(language) == "English" ? "fonts-en.png" : "fonts-ru.png";
        EXPECT_TRUE(page->grab().save(shots + "/" + name));
    }
}

TEST_F(FontsPageTest, TheSampleShowsItsWholeSentenceAtEverySizeAndTheListHasItsGroup) {
    startUp();
    EXPECT_EQ(child<QGroupBox>("fontGroup").title(), QStringLiteral("Шрифты"));
    EXPECT_EQ(fontList().parentWidget(), &child<QGroupBox>("fontGroup"));
    QLabel& sample = child<QLabel>("sample");
    EXPECT_EQ(sample.text(), QStringLiteral("Образец выбранного шрифта"));
    for (int points : {8, 10, 14, 20, 36, 72}) {
        child<QComboBox>("size").setEditText(QString::number(points));
        ASSERT_EQ(app().settings().FontSize, points);
        QFontMetrics shown(sample.font());
        EXPECT_LE(shown.horizontalAdvance(sample.text()), sample.width()) << points;
        EXPECT_LE(shown.height(), sample.height()) << points;
        if (points <= 10) {
            EXPECT_EQ(sample.font().pointSize(), points) << "a size that fits is shown as it is";
        }
    }
    EXPECT_EQ(sample.font().family(), QStringLiteral("Courier New"));
    EXPECT_TRUE(errors.empty());
}

TEST_F(FontsPageTest, AStoredFaceThatIsNotInstalledIsListedWithItsStandIn) {
    catalog.families = {"DejaVu Sans", "Liberation Mono"};
    startUp();
    const QString standIn = QFontInfo(QFont(QStringLiteral("Courier New"))).family();
    ASSERT_EQ(texts(fontList()),
              (QStringList{"Courier New → " + standIn, "DejaVu Sans", "Liberation Mono"}));
    ASSERT_TRUE(fontList().currentItem());
    EXPECT_EQ(fontList().currentRow(), 0) << "the stored face is selected";
    auto refill = [&] {
        child<QCheckBox>("monoSpaceOnly").click();
        child<QCheckBox>("monoSpaceOnly").click();
    };
    fontList().item(2)->setSelected(true);
    EXPECT_EQ(app().settings().FontName, "Liberation Mono");
    refill();
    EXPECT_EQ(texts(fontList()), (QStringList{"DejaVu Sans", "Liberation Mono"}))
        << "a face that is neither installed nor stored is not listed";
    app().setSampleFont("Courier New", 10, FontStyle{});
    refill();
    ASSERT_EQ(fontList().count(), 3);
    EXPECT_EQ(fontList().currentRow(), 0);
    fontList().item(1)->setSelected(true);
    fontList().item(0)->setSelected(true);
    EXPECT_EQ(app().settings().FontName, "Courier New") << "it can be chosen back";
    EXPECT_TRUE(errors.empty());

    // The long line ends in an ellipsis inside the list rather than being cut off at its
    // edge; its tooltip holds it whole, and the list does not scroll sideways.
    page->show();
    QListWidget& list = fontList();
    auto* delegate = dynamic_cast<FontListDelegate*>(list.itemDelegate());
    ASSERT_NE(delegate, nullptr);
    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.widget = &list;
    auto shown = [&](int row) {
        option.rect = list.visualItemRect(list.item(row));
        return delegate->shownText(option, list.model()->index(row, 0));
    };
    const QString whole = "Courier New → " + standIn;
    const QString cut = shown(0);
    EXPECT_TRUE(cut.startsWith("Courier New → ")) << cut.toStdString();
    EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
    EXPECT_LE(list.fontMetrics().horizontalAdvance(cut) + FontListDelegate::NameIndent,
              list.viewport()->width());
    EXPECT_EQ(list.item(0)->toolTip(), whole);
    EXPECT_EQ(shown(1), "DejaVu Sans") << "a line that fits stays whole";
    EXPECT_FALSE(list.horizontalScrollBar()->isVisible());
    QString shots = QStringLiteral(MARLET_BINARY_DIR "/screenshots");
    QDir().mkpath(shots);
    EXPECT_TRUE(page->grab().save(shots + "/fonts-stand-in.png"));
}
