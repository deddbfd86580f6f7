#pragma once

#include "SchemeEditorControls.h"

#include <QDialog>

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace marlet {

class Application;

/// The escape-sequence scheme editor: picks the active scheme, edits the twenty sequences
/// of a stored one, adds, renames and deletes schemes and edits the initialisation string.
/// Made once and shown again. A scheme's key is made, renamed or deleted at once; its
/// sequences and the active name reach the store only at "Применить".
class SchemeEditorDialog final : public QDialog {
    Q_OBJECT
public:
    /// Shows a failure to the user.
    using ErrorReporter = std::function<void(const std::string&)>;

    SchemeEditorDialog(Application& app, ErrorReporter report, QWidget* parent = nullptr);

    /// What "Последовательности" does: refreshes the stored scheme names (LoadSequences),
    /// puts the current initialisation string into its field, activates the dialog and
    /// shows it modally.
    void openModal();
    /// Readies the dialog for a showing: the scheme list, the scheme "Sequence" names and
    /// its cells, the captions of the current language; nothing counts as changed.
    void activate();

    /// Takes the initialisation field as the dialog closes, whichever way it closes.
    void done(int result) override;

private:
    void setCaptions();
    void fillSchemeList(const std::vector<std::string>& stored);
    void selectActiveScheme();
    int findScheme(const QString& name) const;
    bool acceptableName(const QString& name, int renamed) const;
    bool storedSchemeChosen() const;
    bool confirmDeletion(const QString& name);
    void showScheme();
    void showStoredScheme(const std::string& key);
    void setChanged(bool changed);
    void apply();
    void addScheme();
    void renameScheme();
    void deleteScheme();
    void enableNameButtons(bool enabled);
    void takeInitString();
    void report(const std::exception& failure) const;

    Application& m_app;
    ErrorReporter m_report;
    bool m_changed = false;
    SchemeEditorControls m_ui;
};

} // namespace marlet
