#include "SchemeEditorDialog.h"

#include "EscapeLineEdit.h"
#include "SequenceGrid.h"
#include "SequenceText.h"
#include "UiText.h"
#include "YesNoQuestion.h"
#include "app/Application.h"
#include "config/StoredSchemes.h"

#include <QComboBox>
#include <QPushButton>

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

} // namespace

SchemeEditorDialog::SchemeEditorDialog(Application& app, ErrorReporter report, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_app(app), m_report(std::move(report)), m_ui(*this) {
    setModal(true);
    enableNameButtons(false);
    setChanged(false);
    setCaptions();

    connect(m_ui.schemeList, &QComboBox::activated, this, &SchemeEditorDialog::showScheme);
    connect(m_ui.grid, &SequenceGrid::sequenceEdited, this, [this] { setChanged(true); });
    connect(m_ui.apply, &QPushButton::clicked, this, &SchemeEditorDialog::apply);
    connect(m_ui.close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui.nameField, &QLineEdit::textEdited, this, [this] { enableNameButtons(true); });
    connect(m_ui.add, &QPushButton::clicked, this, &SchemeEditorDialog::addScheme);
    connect(m_ui.rename, &QPushButton::clicked, this, &SchemeEditorDialog::renameScheme);
    connect(m_ui.deleteButton, &QPushButton::clicked, this, &SchemeEditorDialog::deleteScheme);
    connect(m_ui.initField, &EscapeLineEdit::keyTyped, this, [this] {
        setChanged(true);
        enableNameButtons(false);
    });
    connect(m_ui.initField, &QLineEdit::editingFinished, this, &SchemeEditorDialog::takeInitString);
}

void SchemeEditorDialog::openModal() {
    try {
        m_app.LoadSequences();
    } catch (const std::exception& failure) {
        // The editor is where a broken scheme is mended, so it opens all the same.
        report(failure);
    }
    m_ui.initField->setText(sequenceText(m_app.settings().InitStr));
    activate();
    exec();
}

void SchemeEditorDialog::activate() {
    m_ui.grid->scrollToTop();
    fillSchemeList(m_app.scheme().storedSchemes());
    selectActiveScheme();
    setCaptions();
}

void SchemeEditorDialog::fillSchemeList(const std::vector<std::string>& stored) {
    m_ui.schemeList->clear();
    for (const std::string& name : stored)
        m_ui.schemeList->addItem(QString::fromStdString(name));
    m_ui.schemeList->addItem(QString::fromLatin1(DefaultSchemeName));
    m_ui.schemeList->addItem(QString::fromLatin1(NoSequencesSchemeName));
}

void SchemeEditorDialog::selectActiveScheme() {
    std::string active = DefaultSchemeName;
    try {
        active = readString(m_app.store(), MarletKey, "Sequence").value_or(active);
    } catch (const std::exception& failure) {
        report(failure);
    }
    m_ui.schemeList->setCurrentIndex(findScheme(QString::fromStdString(active)));
    showScheme();
    setChanged(false);
}

void SchemeEditorDialog::setCaptions() {
    const InterfaceTexts& texts = m_app.texts();
    setWindowTitle(QStringLiteral("Esc-") + uiText(texts, TextKey::Esc));
    m_ui.setCaptions(texts, m_changed);
    // Every row of the grid shows without scrolling: the dialog grows by what they need
    // under the captions of this language.
    setFixedSize(ClientWidth, std::max(ClientHeight, sizeHint().height()));
}

int SchemeEditorDialog::findScheme(const QString& name) const {
    // Scheme names are key names, which the registry matches without regard to case.
    for (int index = 0; index < m_ui.schemeList->count(); ++index) {
        if (m_ui.schemeList->itemText(index).compare(name, Qt::CaseInsensitive) == 0)
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
    if (holdsSequences(m_ui.schemeList->currentText().toStdString()))
        return true;
    if (m_report)
        m_report(m_app.texts()[TextKey::SchemeBuiltIn]);
    return false;
}

void SchemeEditorDialog::showScheme() {
    // Picking a scheme counts as a change, even picking the one in force.
    setChanged(true);
    const std::string name = m_ui.schemeList->currentText().toStdString();
    m_ui.deleteButton->setEnabled(m_ui.schemeList->currentIndex() >= 0);
    enableNameButtons(m_ui.add->isEnabled());
    if (m_ui.schemeList->currentIndex() < 0 || name == NoSequencesSchemeName) {
        // Also when "Sequence" names a scheme that is gone: there is nothing to show.
        m_ui.grid->clearSequences();
        m_ui.grid->setEditingEnabled(false);
    } else if (name == DefaultSchemeName) {
        for (SchemeEntry entry : schemeEntries())
            m_ui.grid->setSequence(static_cast<int>(entry),
                                   sequenceText(defaultSchemeDisplay(entry)));
        m_ui.grid->setEditingEnabled(false);
    } else {
        m_ui.grid->setEditingEnabled(true);
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
        m_ui.grid->setSequence(static_cast<int>(entry), sequenceText(stored.value_or("")));
    }
}

void SchemeEditorDialog::setChanged(bool changed) {
    m_changed = changed;
    m_ui.apply->setEnabled(changed);
    m_ui.close->setText(uiText(m_app.texts(), changed ? TextKey::Cancel : TextKey::Close));
}

void SchemeEditorDialog::apply() {
    if (m_ui.schemeList->currentIndex() < 0) {
        // "Sequence" names a scheme that is gone and nothing else was picked.
        setChanged(false);
        return;
    }
    const std::string name = m_ui.schemeList->currentText().toStdString();
    SettingsStore& store = m_app.store();
    try {
        // One batch: a failed write leaves the store as the last apply left it.
        store.beginBatch();
        store.setValue(MarletKey, "Sequence", name);
        if (holdsSequences(name)) {
            const std::string key = storedSchemeKey(name);
            for (SchemeEntry entry : schemeEntries())
                store.setValue(key, std::string(schemeEntryName(entry)),
                               sequenceBytes(m_ui.grid->sequence(static_cast<int>(entry))));
        }
        store.commit();
    } catch (const std::exception& failure) {
        report(failure);
        return;
    }
    setChanged(false);
}

void SchemeEditorDialog::addScheme() {
    const QString name = m_ui.nameField->text();
    if (!acceptableName(name, -1))
        return;
    m_ui.schemeList->addItem(name);
    m_ui.schemeList->setCurrentIndex(findScheme(name));
    m_ui.deleteButton->setEnabled(true);
    m_ui.grid->clearSequences();
    // A new scheme is there to be typed into at once.
    m_ui.grid->setEditingEnabled(true);
    setChanged(true);
    try {
        m_app.store().createKey(storedSchemeKey(name.toStdString()));
    } catch (const std::exception& failure) {
        report(failure);
        return;
    }
    m_ui.nameField->clear();
    enableNameButtons(false);
}

void SchemeEditorDialog::renameScheme() {
    if (!storedSchemeChosen())
        return;
    const QString name = m_ui.nameField->text();
    if (!acceptableName(name, m_ui.schemeList->currentIndex()))
        return;
    try {
        renameStoredScheme(m_app.store(), m_ui.schemeList->currentText().toStdString(),
                           name.toStdString());
    } catch (const std::exception& failure) {
        report(failure);
        return;
    }
    // The list keeps the store's order; what the grid holds stays, to be applied under
    // the new name.
    fillSchemeList(m_app.store().subkeys(SequencesKey));
    m_ui.schemeList->setCurrentIndex(findScheme(name));
    m_ui.nameField->clear();
    enableNameButtons(false);
}

void SchemeEditorDialog::deleteScheme() {
    if (!storedSchemeChosen())
        return;
    const QString name = m_ui.schemeList->currentText();
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
    m_ui.add->setEnabled(enabled);
    // With no scheme picked there is nothing to rename.
    m_ui.rename->setEnabled(enabled && m_ui.schemeList->currentIndex() >= 0);
}

void SchemeEditorDialog::takeInitString() {
    const std::string bytes = sequenceBytes(m_ui.initField->text());
    m_ui.initField->setText(sequenceText(bytes));
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
