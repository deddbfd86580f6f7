#include "SchemeEditorDialog.h"

#include "EscapeLineEdit.h"
#include "SequenceGrid.h"
#include "SequenceText.h"
#include "UiText.h"
#include "YesNoQuestion.h"
#include "app/Application.h"
#include "config/StoredSchemes.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace marlet {

namespace {

constexpr int ClientWidth = 427;
constexpr int ClientHeight = 454;

// Whether the scheme keeps its sequences in a key of its own. The built-in schemes have
// none, and an empty name would mean the Sequences key itself.
bool holdsSequences(const std::string& name) {
    return !name.empty() && name != DefaultSchemeName && name != NoSequencesSchemeName;
}

QPushButton* makeButton(QWidget* parent, const char* name) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    // Enter ends typing in a line; it must not also apply or close.
    button->setAutoDefault(false);
    return button;
}

} // namespace

SchemeEditorDialog::SchemeEditorDialog(Application& app, ErrorReporter report, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_app(app), m_report(std::move(report)) {
    setModal(true);
    buildControls();
    m_grid->setMinimumHeight(m_grid->verticalHeader()->length() + 2 * m_grid->frameWidth());
    setChanged(false);
    setCaptions();

    connect(m_schemeList, &QComboBox::activated, this, &SchemeEditorDialog::showScheme);
    connect(m_grid, &SequenceGrid::sequenceEdited, this, [this] { setChanged(true); });
    connect(m_apply, &QPushButton::clicked, this, &SchemeEditorDialog::apply);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_nameField, &QLineEdit::textEdited, this, [this] { enableNameButtons(true); });
    connect(m_add, &QPushButton::clicked, this, &SchemeEditorDialog::addScheme);
    connect(m_rename, &QPushButton::clicked, this, &SchemeEditorDialog::renameScheme);
    connect(m_delete, &QPushButton::clicked, this, &SchemeEditorDialog::deleteScheme);
    connect(m_initField, &EscapeLineEdit::keyTyped, this, [this] {
        setChanged(true);
        enableNameButtons(false);
    });
    connect(m_initField, &QLineEdit::editingFinished, this, &SchemeEditorDialog::takeInitString);
}

void SchemeEditorDialog::buildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 6);
    layout->setSpacing(4);

    m_schemeGroup = new QGroupBox(this);
    m_schemeGroup->setObjectName(QStringLiteral("schemeGroup"));
    m_schemeList = new QComboBox(m_schemeGroup);
    m_schemeList->setObjectName(QStringLiteral("schemeList"));
    m_delete = makeButton(m_schemeGroup, "deleteButton");
    auto* schemeLayout = new QHBoxLayout(m_schemeGroup);
    schemeLayout->setContentsMargins(6, 2, 6, 6);
    schemeLayout->addWidget(m_schemeList, 1);
    schemeLayout->addWidget(m_delete);
    layout->addWidget(m_schemeGroup);

    m_codesGroup = new QGroupBox(this);
    m_codesGroup->setObjectName(QStringLiteral("codesGroup"));
    m_grid = new SequenceGrid(m_codesGroup);
    m_grid->setObjectName(QStringLiteral("sequenceGrid"));
    auto* codesLayout = new QVBoxLayout(m_codesGroup);
    codesLayout->setContentsMargins(0, 2, 0, 0);
    codesLayout->addWidget(m_grid);
    layout->addWidget(m_codesGroup, 1);

    m_initLabel = new QLabel(this);
    m_initLabel->setObjectName(QStringLiteral("initLabel"));
    m_initField = new EscapeLineEdit(this);
    m_initField->setObjectName(QStringLiteral("initField"));
    m_initLabel->setBuddy(m_initField);
    auto* initRow = new QHBoxLayout;
    initRow->addWidget(m_initLabel);
    initRow->addWidget(m_initField, 1);
    layout->addLayout(initRow);

    m_nameField = new QLineEdit(this);
    m_nameField->setObjectName(QStringLiteral("nameField"));
    m_add = makeButton(this, "addButton");
    m_rename = makeButton(this, "renameButton");
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_nameField, 1);
    nameRow->addWidget(m_add);
    nameRow->addWidget(m_rename);
    layout->addLayout(nameRow);
    enableNameButtons(false);

    m_apply = makeButton(this, "applyButton");
    m_close = makeButton(this, "closeButton");
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_apply);
    buttonRow->addWidget(m_close);
    layout->addLayout(buttonRow);
}

void SchemeEditorDialog::openModal() {
    try {
        m_app.LoadSequences();
    } catch (const std::exception& failure) {
        // The editor is where a broken scheme is mended, so it opens all the same.
        report(failure);
    }
    m_initField->setText(sequenceText(m_app.settings().InitStr));
    activate();
    exec();
}

void SchemeEditorDialog::activate() {
    m_grid->scrollToTop();
    fillSchemeList(m_app.scheme().storedSchemes());
    selectActiveScheme();
    setCaptions();
}

void SchemeEditorDialog::fillSchemeList(const std::vector<std::string>& stored) {
    m_schemeList->clear();
    for (const std::string& name : stored)
        m_schemeList->addItem(QString::fromStdString(name));
    m_schemeList->addItem(QString::fromLatin1(DefaultSchemeName));
    m_schemeList->addItem(QString::fromLatin1(NoSequencesSchemeName));
}

void SchemeEditorDialog::selectActiveScheme() {
    std::string active = DefaultSchemeName;
    try {
        active = readString(m_app.store(), MarletKey, "Sequence").value_or(active);
    } catch (const std::exception& failure) {
        report(failure);
    }
    m_schemeList->setCurrentIndex(findScheme(QString::fromStdString(active)));
    showScheme();
    setChanged(false);
}

void SchemeEditorDialog::setCaptions() {
    const InterfaceTexts& texts = m_app.texts();
    setWindowTitle(QStringLiteral("Esc-") + uiText(texts, TextKey::Esc));
    m_schemeGroup->setTitle(uiText(texts, TextKey::Esc));
    m_codesGroup->setTitle(uiText(texts, TextKey::Codes));
    m_initLabel->setText(uiText(texts, TextKey::Initialize));
    m_apply->setText(uiText(texts, TextKey::Apply));
    m_close->setText(uiText(texts, m_changed ? TextKey::Cancel : TextKey::Close));
    m_add->setText(uiText(texts, TextKey::Add));
    m_rename->setText(uiText(texts, TextKey::Rename));
    m_delete->setText(uiText(texts, TextKey::Delete));
    // The style leaves a long caption only a few pixels; each button keeps its full
    // margins round the longest caption it shows.
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_ButtonMargin) +
                             style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
    const std::pair<QPushButton*, std::vector<TextKey>> buttons[] = {
        {m_apply, {TextKey::Apply}},
        {m_close, {TextKey::Close, TextKey::Cancel}},
        {m_add, {TextKey::Add}},
        {m_rename, {TextKey::Rename}},
        {m_delete, {TextKey::Delete}}};
    for (const auto& [button, keys] : buttons) {
        int widest = 0;
        for (TextKey key : keys)
            widest = std::max(widest, button->fontMetrics().horizontalAdvance(
                                          uiText(texts, key).remove(QLatin1Char('&'))));
        button->setMinimumWidth(widest + margins);
    }
    // Every row of the grid shows without scrolling: the dialog grows by what they need
    // under the captions of this language.
    setFixedSize(ClientWidth, std::max(ClientHeight, sizeHint().height()));
}

int SchemeEditorDialog::findScheme(const QString& name) const {
    // Scheme names are key names, which the registry matches without regard to case.
    for (int index = 0; index < m_schemeList->count(); ++index) {
        if (m_schemeList->itemText(index).compare(name, Qt::CaseInsensitive) == 0)
            return index;
    }
    return -1;
}

bool SchemeEditorDialog::acceptableName(const QString& name, int renamed) const {
    // An empty name would be the Sequences key itself, and a listed one (in any case)
    // another name for a scheme that is there; a scheme may take its own name in
    // another case.
    const bool empty = name.trimmed().isEmpty();
    const int listed = findScheme(name);
    if (!empty && (listed < 0 || listed == renamed))
        return true;
    if (m_report)
        m_report(m_app.texts()[empty ? TextKey::SchemeNameEmpty : TextKey::SchemeNameTaken]);
    return false;
}

bool SchemeEditorDialog::storedSchemeChosen() const {
    // The built-in schemes have no key to delete or rename.
    if (holdsSequences(m_schemeList->currentText().toStdString()))
        return true;
    if (m_report)
        m_report(m_app.texts()[TextKey::SchemeBuiltIn]);
    return false;
}

void SchemeEditorDialog::showScheme() {
    // Picking a scheme counts as a change, even picking the one in force.
    setChanged(true);
    const std::string name = m_schemeList->currentText().toStdString();
    m_delete->setEnabled(m_schemeList->currentIndex() >= 0);
    enableNameButtons(m_add->isEnabled());
    if (m_schemeList->currentIndex() < 0 || name == NoSequencesSchemeName) {
        // Also when "Sequence" names a scheme that is gone: there is nothing to show.
        m_grid->clearSequences();
        m_grid->setEditingEnabled(false);
    } else if (name == DefaultSchemeName) {
        for (SchemeEntry entry : schemeEntries())
            m_grid->setSequence(static_cast<int>(entry), sequenceText(defaultSchemeDisplay(entry)));
        m_grid->setEditingEnabled(false);
    } else {
        m_grid->setEditingEnabled(true);
        try {
            showStoredScheme(storedSchemeKey(name));
        } catch (const std::exception& failure) {
            report(failure);
        }
    }
}

void SchemeEditorDialog::showStoredScheme(const std::string& key) {
    // A row the key lacks shows empty rather than what another scheme had there.
    for (SchemeEntry entry : schemeEntries()) {
        std::optional<std::string> stored =
            readString(m_app.store(), key, std::string(schemeEntryName(entry)));
        m_grid->setSequence(static_cast<int>(entry), sequenceText(stored.value_or("")));
    }
}

void SchemeEditorDialog::setChanged(bool changed) {
    m_changed = changed;
    m_apply->setEnabled(changed);
    m_close->setText(uiText(m_app.texts(), changed ? TextKey::Cancel : TextKey::Close));
}

void SchemeEditorDialog::apply() {
    if (m_schemeList->currentIndex() < 0) {
        // "Sequence" names a scheme that is gone and nothing else was picked.
        setChanged(false);
        return;
    }
    const std::string name = m_schemeList->currentText().toStdString();
    SettingsStore& store = m_app.store();
    try {
        // One batch: a failed write leaves the store as the last apply left it.
        store.beginBatch();
        store.setValue(MarletKey, "Sequence", name);
        if (holdsSequences(name)) {
            const std::string key = storedSchemeKey(name);
            for (SchemeEntry entry : schemeEntries())
                store.setValue(key, std::string(schemeEntryName(entry)),
                               sequenceBytes(m_grid->sequence(static_cast<int>(entry))));
        }
        store.commit();
    } catch (const std::exception& failure) {
        report(failure);
        return;
    }
    setChanged(false);
}

void SchemeEditorDialog::addScheme() {
    const QString name = m_nameField->text();
    if (!acceptableName(name, -1))
        return;
    m_schemeList->addItem(name);
    m_schemeList->setCurrentIndex(findScheme(name));
    m_delete->setEnabled(true);
    m_grid->clearSequences();
    // A new scheme is there to be typed into at once.
    m_grid->setEditingEnabled(true);
    setChanged(true);
    try {
        m_app.store().createKey(storedSchemeKey(name.toStdString()));
    } catch (const std::exception& failure) {
        report(failure);
        return;
    }
    m_nameField->clear();
    enableNameButtons(false);
}

void SchemeEditorDialog::renameScheme() {
    if (!storedSchemeChosen())
        return;
    const QString name = m_nameField->text();
    if (!acceptableName(name, m_schemeList->currentIndex()))
        return;
    try {
        renameStoredScheme(m_app.store(), m_schemeList->currentText().toStdString(),
                           name.toStdString());
    } catch (const std::exception& failure) {
        report(failure);
        return;
    }
    // The list keeps the store's order; what the grid holds stays, to be applied under
    // the new name.
    fillSchemeList(m_app.store().subkeys(SequencesKey));
    m_schemeList->setCurrentIndex(findScheme(name));
    m_nameField->clear();
    enableNameButtons(false);
}

void SchemeEditorDialog::deleteScheme() {
    if (!storedSchemeChosen())
        return;
    const QString name = m_schemeList->currentText();
    if (!confirmDeletion(name))
        return;
    try {
        deleteStoredScheme(m_app.store(), name.toStdString());
    } catch (const std::exception& failure) {
        report(failure);
        return;
    }
    // The scheme in force shows, as on opening: Default when the one deleted was in force.
    fillSchemeList(m_app.store().subkeys(SequencesKey));
    selectActiveScheme();
}

bool SchemeEditorDialog::confirmDeletion(const QString& name) {
    // Enter, meant for the dialog, must not delete: the default answer is no.
    const InterfaceTexts& texts = m_app.texts();
    return askYesNo(this, windowTitle(), uiText(texts, TextKey::DeleteScheme).arg(name), texts,
                    QMessageBox::No);
}

void SchemeEditorDialog::enableNameButtons(bool enabled) {
    m_add->setEnabled(enabled);
    // With no scheme picked there is nothing to rename.
    m_rename->setEnabled(enabled && m_schemeList->currentIndex() >= 0);
}

void SchemeEditorDialog::takeInitString() {
    const std::string bytes = sequenceBytes(m_initField->text());
    m_initField->setText(sequenceText(bytes));
    m_app.setInitString(bytes);
}

void SchemeEditorDialog::done(int result) {
    takeInitString();
    QDialog::done(result);
}

void SchemeEditorDialog::report(const std::exception& failure) const {
    if (m_report)
        m_report(failure.what());
}

} // namespace marlet
