#pragma once

#include "charset/CodePageTable.h"
#include "config/ActiveScheme.h"
#include "config/InterfaceTexts.h"
#include "config/Settings.h"
#include "config/SettingsPersistence.h"
#include "config/SettingsStore.h"
#include "render/BoxRenderer.h"
#include "render/PageDevice.h"
#include "render/PageGeometry.h"
#include "render/ProgressDisplay.h"

#include <string>
#include <utility>
#include <vector>

namespace marlet {

/// A setting given for one run, over what is stored ("--set FontSize=12").
using SettingOverride = std::pair<std::string, std::string>;

/// Owns all state of a run and carries the operations by their names. The desktop app,
/// the command line and the resident mode each own one.
class Application {
public:
    /// A failure that does not stop the operation (a stored value of the wrong type while
    /// the settings are restored) goes to report.
    Application(PageDevice& printer, ProgressDisplay& progress, SettingsStore& store,
                FailureReport report)
        : m_printer(printer), m_progress(progress), m_store(store), m_report(std::move(report)),
          m_geometry(printer), m_boxes(printer) {}

    /// Settings that win over stored ones for this run. Unknown names are refused.
    void setOverrides(std::vector<SettingOverride> overrides);

    /// Brings the object up as the settings window's creation does: the start-up cell,
    /// the default margins, the restored settings, the code page table and the geometry.
    void startUp();
    /// Reads the stored settings (then the overrides), the stored scheme names, the
    /// language file, the code page table and "unused.seq", and recomputes the geometry.
    void restoreSettings();
    /// Writes every setting back to the store, as the resident app does at exit.
    void saveSettings();
    /// Loads a language file ("Русский.lng") into the interface texts.
    void langset(const std::string& fileName);
    /// Refreshes the active escape-sequence scheme from the store.
    void LoadSequences() { m_scheme.LoadSequences(m_store); }

    int resx() const { return m_geometry.resx(); }
    int resy() const { return m_geometry.resy(); }
    std::uint8_t setcell();
    void setpitch(std::uint8_t pitch) { m_geometry.setpitch(pitch); }
    void checksize();
    /// Loads a code page table file ("866.cp").
    void codeset(const std::string& fileName) { m_table.load(fileName); }

    /// Prints the file that the queue-file setting names.
    void PrintOut();
    /// Draws a box-drawing character in the current cell at (x, y); code becomes a space.
    void Pseudo(std::int32_t x, std::int32_t y, std::uint16_t& code);
    /// Shows progress step 0..16 of a job, or 255 to put the normal icon back.
    void UpdateProgress(std::uint8_t step);

    /// The font of the fonts page's sample, which every job prints with.
    CanvasFont sampleFont() const;

    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    PageGeometry& geometry() { return m_geometry; }
    const PageGeometry& geometry() const { return m_geometry; }
    const CodePageTable& codePage() const { return m_table; }
    const PageFigures& figures() const { return m_figures; }
    const InterfaceTexts& texts() const { return m_texts; }
    const ActiveScheme& scheme() const { return m_scheme; }
    const std::vector<std::string>& dropList() const { return m_dropList; }
    /// The queue timer's interval: the time-out in milliseconds.
    int queueInterval() const { return m_settings.TimeOut * 1000; }

private:
    void applyOverrides();

    PageDevice& m_printer;
    ProgressDisplay& m_progress;
    SettingsStore& m_store;
    FailureReport m_report;
    Settings m_settings;
    std::vector<SettingOverride> m_overrides;
    PageGeometry m_geometry;
    BoxRenderer m_boxes;
    CodePageTable m_table;
    ActiveScheme m_scheme;
    InterfaceTexts m_texts;
    std::vector<std::string> m_dropList;
    PageFigures m_figures;
};

} // namespace marlet
