#include "FontsPage.h"

#include "ApplicationSignals.h"
#include "Artwork.h"
#include "CodeChartWindow.h"
#include "FontListDelegate.h"
#include "PageParamsGroup.h"
#include "UiText.h"
#include "app/ResidentSession.h"
#include "base/IntegerText.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QSignalBlocker>
#include <QToolButton>

#include <algorithm>

namespace marlet {

namespace {

constexpr int SizeEntries[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

/// The wait cursor while the printer's faces are tried one by one.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

FontsPage::FontsPage(ResidentSession& session, ApplicationSignals& appSignals, ErrorReport report,
                     QWidget* parent)
    : QWidget(parent), m_session(session), m_report(std::move(report)) {
    setFixedSize(PageSize);
    buildFontColumn();
    buildStyleColumn();
    buildSampleColumn();
    m_chart = new CodeChartWindow(this);

    connect(&appSignals, &ApplicationSignals::figuresChanged, this, &FontsPage::showState);
    connect(&appSignals, &ApplicationSignals::textsChanged, this, &FontsPage::showTexts);
    connect(&appSignals, &ApplicationSignals::settingChanged, this, &FontsPage::settingChanged);
    connect(&appSignals, &ApplicationSignals::printerChanged, this, [this] {
        m_families = m_session.catalog().fontFamilies(m_session.printerName());
        if (!m_showingFixedPitch)
            showFontList();
    });

    m_families = m_session.catalog().fontFamilies(m_session.printerName());
    showTexts();
    showFontList();
    showState();
}

FontsPage::~FontsPage() = default;

void FontsPage::buildFontColumn() {
    m_fontGroup = named(new QGroupBox(this), "fontGroup");
    m_fontGroup->setGeometry(2, 2, 172, 208);
    m_fontList = named(new QListWidget(m_fontGroup), "fontList");
    m_fontList->setGeometry(4, 16, 164, 188);
    m_fontList->setUniformItemSizes(true);
    m_fontDelegate = new FontListDelegate(
        [this](const QString& face) {
            return isFixedPitch(m_session.app().printer(), face.toStdString());
        },
        m_fontList);
    m_fontList->setItemDelegate(m_fontDelegate);
    // Only a selection is the user's pick: a list taking the focus makes its first line
    // current without selecting it, and that must not change the printing face.
    connect(m_fontList, &QListWidget::itemSelectionChanged, this, [this] {
        QList<QListWidgetItem*> picked = m_fontList->selectedItems();
        if (!picked.isEmpty())
            chooseFace(picked.first()->data(Qt::UserRole).toString());
    });

    m_monoSpaceOnly = named(new QCheckBox(this), "monoSpaceOnly");
    m_monoSpaceOnly->setGeometry(6, 213, 232, 18);
    connect(m_monoSpaceOnly, &QCheckBox::clicked, this,
            [this](bool on) { perform([&] { m_session.app().setMonoSpaceOnly(on); }); });
}

void FontsPage::buildStyleColumn() {
    m_styleGroup = named(new QGroupBox(this), "styleGroup");
    m_styleGroup->setGeometry(176, 2, 124, 96);
    QCheckBox** boxes[] = {&m_bold, &m_italic, &m_underline, &m_strikeout};
    const char* names[] = {"bold", "italic", "underline", "strikeout"};
    for (int i = 0; i < 4; ++i) {
        QCheckBox* box = named(new QCheckBox(m_styleGroup), names[i]);
        box->setGeometry(8, 17 + 19 * i, 112, 18);
        connect(box, &QCheckBox::clicked, this, &FontsPage::chooseStyle);
        *boxes[i] = box;
    }
    // Each style's caption is written in that style; face and size follow the window's.
    QFont bold;
    bold.setBold(true);
    m_bold->setFont(bold);
    QFont italic;
    italic.setItalic(true);
    m_italic->setFont(italic);
    QFont underline;
    underline.setUnderline(true);
    m_underline->setFont(underline);
    QFont strikeout;
    strikeout.setStrikeOut(true);
    m_strikeout->setFont(strikeout);

    m_sizeCaption = named(new QLabel(this), "sizeCaption");
    m_sizeCaption->setGeometry(176, 103, 124, 14);
    m_size = named(new QComboBox(this), "size");
    m_size->setGeometry(176, 118, 64, 22);
    m_size->setEditable(true);
    m_size->setInsertPolicy(QComboBox::NoInsert);
    for (int points : SizeEntries)
        m_size->addItem(QString::number(points));
    m_size->setEditText(QStringLiteral("10"));
    m_sizeCaption->setBuddy(m_size);
    connect(m_size, &QComboBox::editTextChanged, this, &FontsPage::chooseSize);

    // The code page list keeps its caption in every language.
    m_codePageCaption = named(new QLabel(QStringLiteral("CP"), this), "codePageCaption");
    m_codePageCaption->setGeometry(176, 146, 124, 14);
    m_codePage = named(new QComboBox(this), "codePage");
    m_codePage->setGeometry(176, 161, 92, 22);
    m_codePageCaption->setBuddy(m_codePage);
    connect(m_codePage, &QComboBox::textActivated, this, &FontsPage::chooseCodePage);
    m_chartButton = named(new QToolButton(this), "chartButton");
    m_chartButton->setGeometry(272, 161, 24, 22);
    m_chartButton->setIcon(Artwork::icon(QStringLiteral("code-chart")));
    connect(m_chartButton, &QToolButton::clicked, this, &FontsPage::runChart);
}

void FontsPage::buildSampleColumn() {
    m_sampleGroup = named(new QGroupBox(this), "sampleGroup");
    m_sampleGroup->setGeometry(306, 2, 257, 66);
    m_sample = named(new QLabel(m_sampleGroup), "sample");
    m_sample->setGeometry(8, 16, 241, 28);
    m_faceName = named(new QLabel(m_sampleGroup), "faceName");
    m_faceName->setGeometry(8, 44, 241, 18);
    // The name is written in the interface face, 16 pixels from top to bottom of its line.
    QFont font;
    for (int pixels = 16; pixels > 1; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= 16)
            break;
    }
    QFont nameFont;
    nameFont.setPixelSize(font.pixelSize());
    m_faceName->setFont(nameFont);

    m_note = named(new QLabel(this), "note");
    m_note->setGeometry(306, 70, 257, 28);
    m_note->setWordWrap(true);
    m_note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_pageParams = new PageParamsGroup(this);
    m_pageParams->setGeometry(306, 99, 257, 134);
    connect(m_pageParams, &PageParamsGroup::marginsEdited, this,
            [this](Margins margins) { perform([&] { m_session.app().setMargins(margins); }); });
}

void FontsPage::showTexts() {
    const InterfaceTexts& texts = m_session.app().texts();
    m_fontGroup->setTitle(uiText(texts, TextKey::TabFonts).remove(QLatin1Char('&')));
    m_monoSpaceOnly->setText(uiText(texts, TextKey::MonoSpaceOnly));
    m_styleGroup->setTitle(uiText(texts, TextKey::FontStyle));
    m_bold->setText(uiText(texts, TextKey::Bold));
    m_italic->setText(uiText(texts, TextKey::Italic));
    m_underline->setText(uiText(texts, TextKey::Underline));
    m_strikeout->setText(uiText(texts, TextKey::Strikeout));
    m_sizeCaption->setText(uiText(texts, TextKey::Size));
    m_sampleGroup->setTitle(uiText(texts, TextKey::Preview));
    m_sample->setText(uiText(texts, TextKey::FontPreview));
    showSample();
    m_pageParams->showTexts(texts);
    m_note->setText(uiText(texts, m_session.app().figures().monospace ? TextKey::MonoSpace
                                                                      : TextKey::Proportional));
}

void FontsPage::showState() {
    const Application& app = m_session.app();
    const Settings& settings = app.settings();
    const PageFigures& figures = app.figures();
    m_pageParams->showFigures(figures);
    // A stored margin beyond the limit stays shown as it is, and jobs are refused, until
    // the user brings it back. Before the first measure there is no cell to limit by.
    if (app.geometry().CellWidth != 0 && app.geometry().LineHeight != 0)
        perform([&] {
            Margins largest = app.largestMargins();
            m_pageParams->limitMargins(Margins{std::max(largest.top, settings.TopMargin),
                                               std::max(largest.left, settings.LeftMargin)});
        });
    m_pageParams->showMargins(Margins{settings.TopMargin, settings.LeftMargin});
    m_note->setText(
        uiText(app.texts(), figures.monospace ? TextKey::MonoSpace : TextKey::Proportional));
    showSample();
    // Settings restored from the store tell no one but through the figures.
    if (m_showingFixedPitch != settings.MonoSpace)
        showFontList();
    showCodePages();
}

void FontsPage::showSample() {
    const Settings& settings = m_session.app().settings();
    const std::pair<QCheckBox*, bool> styles[] = {{m_bold, settings.FontBold},
                                                  {m_italic, settings.FontItalic},
                                                  {m_underline, settings.FontUnderline},
                                                  {m_strikeout, settings.FontStrikeout}};
    for (auto [box, on] : styles) {
        QSignalBlocker blocker(box);
        box->setChecked(on);
    }
    // While the user types "12" the box already reads 12 after the "1": leave it be.
    bool typed = false;
    try {
        typed = parseInteger(m_size->currentText().toStdString()) == settings.FontSize;
    } catch (const std::exception&) {
    }
    if (!typed) {
        QSignalBlocker blocker(m_size);
        m_size->setEditText(QString::number(settings.FontSize));
    }

    QString face = QString::fromStdString(settings.FontName);
    m_faceName->setText(face);
    QFont font(face);
    if (settings.FontSize > 0)
        font.setPointSize(settings.FontSize);
    font.setBold(settings.FontBold);
    font.setItalic(settings.FontItalic);
    font.setUnderline(settings.FontUnderline);
    font.setStrikeOut(settings.FontStrikeout);
    // A size too big for the sample's place is shown as big as the place allows, so the
    // whole sentence stays in view.
    const QString text = m_sample->text();
    for (int step = 0; step < 64; ++step) {
        QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(text) <= m_sample->width() &&
            metrics.height() <= m_sample->height())
            break;
        font.setPointSizeF(font.pointSizeF() * 0.9);
    }
    m_sample->setFont(font);
}

void FontsPage::showCodePages() {
    const std::vector<std::string>& names = m_session.app().codePages();
    QStringList items;
    for (const std::string& name : names)
        items.push_back(QString::fromStdString(name));
    QStringList shown;
    for (int i = 0; i < m_codePage->count(); ++i)
        shown.push_back(m_codePage->itemText(i));
    if (items == shown)
        return;
    QSignalBlocker blocker(m_codePage);
    m_codePage->clear();
    m_codePage->addItems(items);
    selectCodePage();
}

void FontsPage::showFontList() {
    bool fixedOnly = m_session.app().settings().MonoSpace;
    {
        QSignalBlocker blocker(m_monoSpaceOnly);
        m_monoSpaceOnly->setChecked(fixedOnly);
    }
    if (fixedOnly && m_fixedPitch.needsBuilding())
        fillfonts();
    const std::vector<std::string>& faces = fixedOnly ? m_fixedPitch.faces() : m_families;
    {
        QSignalBlocker blocker(m_fontList);
        m_fontList->clear();
        auto add = [this](const QString& face, const QString& shown) {
            auto* item = new QListWidgetItem(shown, m_fontList);
            item->setData(Qt::UserRole, face);
            item->setToolTip(shown);
        };
        // The stored face that the printer lacks still shows, with the face that prints in
        // its place, so that it stays selected and can be chosen back.
        const std::string& stored = m_session.app().settings().FontName;
        const bool placeholder = fixedOnly && m_fixedPitch.needsBuilding();
        if (!placeholder && !stored.empty() &&
            std::ranges::find(m_families, stored) == m_families.end()) {
            const QString face = QString::fromStdString(stored);
            add(face, face + QStringLiteral(" → ") + QFontInfo(QFont(face)).family());
        }
        for (const std::string& face : faces)
            add(QString::fromStdString(face), QString::fromStdString(face));
    }
    m_showingFixedPitch = fixedOnly;
    selectFace();
}

void FontsPage::fillfonts() {
    // Restoring the settings at start-up must not try every face: the placeholder stays
    // until the fonts tab is opened.
    if (!m_listsFilled)
        return;
    WaitCursor wait;
    m_fixedPitch.build(m_session.app().printer(), m_families);
}

void FontsPage::selectFace() {
    QString face = QString::fromStdString(m_session.app().settings().FontName);
    QListWidgetItem* found = nullptr;
    for (int row = 0; row < m_fontList->count() && !found; ++row)
        if (m_fontList->item(row)->data(Qt::UserRole).toString() == face)
            found = m_fontList->item(row);
    QSignalBlocker blocker(m_fontList);
    if (!found) {
        m_fontList->setCurrentRow(-1);
        m_fontList->clearSelection();
    } else {
        m_fontList->setCurrentItem(found);
        m_fontList->scrollToItem(found);
    }
}

void FontsPage::selectCodePage() {
    QString name = QString::fromStdString(m_session.app().settings().CodePage);
    QSignalBlocker blocker(m_codePage);
    m_codePage->setCurrentIndex(m_codePage->findText(name, Qt::MatchFixedString));
}

void FontsPage::markFontListsFilled() {
    m_listsFilled = true;
}

void FontsPage::activate() {
    selectFace();
    selectCodePage();
}

void FontsPage::fontsTabShown() {
    if (m_session.app().settings().MonoSpace && m_fixedPitch.needsBuilding())
        showFontList();
}

void FontsPage::chooseFace(const QString& face) {
    if (face.isEmpty())
        return;
    const Settings& settings = m_session.app().settings();
    FontStyle style{settings.FontBold, settings.FontItalic, settings.FontUnderline,
                    settings.FontStrikeout};
    perform([&] { m_session.app().setSampleFont(face.toStdString(), settings.FontSize, style); });
}

void FontsPage::chooseStyle() {
    const Settings& settings = m_session.app().settings();
    FontStyle style{m_bold->isChecked(), m_italic->isChecked(), m_underline->isChecked(),
                    m_strikeout->isChecked()};
    perform([&] { m_session.app().setSampleFont(settings.FontName, settings.FontSize, style); });
}

void FontsPage::chooseSize(const QString& text) {
    const Settings& settings = m_session.app().settings();
    FontStyle style{settings.FontBold, settings.FontItalic, settings.FontUnderline,
                    settings.FontStrikeout};
    perform([&] {
        int points = parseInteger(text.toStdString());
        m_session.app().setSampleFont(settings.FontName, points, style);
    });
}

void FontsPage::chooseCodePage(const QString& name) {
    perform([&] { m_session.app().setCodePage(name.toStdString()); });
}

void FontsPage::runChart() {
    const Application& app = m_session.app();
    perform([&] { m_chart->run(app.codePage(), app.settings().FontName, screen()->size()); });
}

void FontsPage::settingChanged(const QString& name) {
    if (name == QLatin1String("MonoSpace"))
        showFontList();
    else if (name == QLatin1String("FontName"))
        selectFace();
    else if (name == QLatin1String("CodePage"))
        selectCodePage();
}

void FontsPage::perform(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        m_report(error.what());
    }
}

} // namespace marlet
