#pragma once

#include "app/ApplicationObserver.h"
#include "charset/CodePageTable.h"
#include "config/ActiveScheme.h"
#include "config/InterfaceTexts.h"
#include "config/Settings.h"
#include "config/SettingsPersistence.h"
#include "config/SettingsStore.h"
#include "render/BoxRenderer.h"
#include "render/PageDevice.h"
#include "render/PageGeometry.h"
#include "render/PrintJob.h"
#include "render/ProgressDisplay.h"

#include <string>
#include <utility>
#include <vector>

namespace marlet {

/// A setting given for one run, over what is stored ("--set FontSize=12").
using SettingOverride = std::pair<std::string, std::string>;

/// Owns all state of a run and carries the operations by their names. The desktop app,
/// the command line and the resident mode each own one. Settings change through the
/// setters, which run what follows the change, store the new value at once (a run that is
/// killed keeps it) and then tell the observers.
class Application {
public:
    /// A failure that does not stop the operation (a stored value of the wrong type while
    /// the settings are restored) goes to report.
    Application(PageDevice& printer, ProgressDisplay& progress, SettingsStore& store,
                FailureReport report)
        : m_printer(&printer), m_progress(progress), m_store(store), m_report(std::move(report)),
          m_geometry(printer), m_boxes(printer) {}

    /// Settings that win over stored ones for this run, `Sequence` included. A name or a
    /// value a setting cannot take is refused with a UsageError.
    void setOverrides(std::vector<SettingOverride> overrides);
    /// Tells observer of every change from now on; it must outlive the application or be
    /// removed first.
    void addObserver(ApplicationObserver& observer);
    void removeObserver(ApplicationObserver& observer);

    /// Brings the object up as the settings window's creation does: the start-up cell,
    /// the default margins, the language and code page lists, the restored settings, the
    /// code page table and the geometry.
    void startUp();
    /// Reads the stored settings (then the overrides), the stored scheme names, the
    /// language file, the code page table and "unused.seq", and recomputes the geometry.
    void restoreSettings();
    /// Writes back the settings this run changed through its setters, as the resident app
    /// does at exit; what others stored meanwhile for the other settings stays.
    void saveSettings();
    /// The stored names of the settings the setters changed, in the order of first change.
    const std::vector<std::string>& changedSettings() const { return m_changed; }
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
    void PrintOut() { printFile(m_settings.Spool); }
    /// Prints a file with the settings in force; the queue-file setting is not touched.
    /// Returns whether the file gave any page.
    bool printFile(const std::string& path);
    /// Derives the cell, the first job font and the page figures as a job with the settings
    /// in force would start, without printing: what the grid of the next job is.
    void measureJob();
    /// Fails with "The page has no room for a character cell …" when the measured page
    /// holds no line or a line no character.
    void requireRoomForACell() const;
    /// The largest margins that leave the measured cell a line on the page.
    Margins largestMargins() const;
    /// Draws a box-drawing character in the current cell at (x, y); code becomes a space.
    void Pseudo(std::int32_t x, std::int32_t y, std::uint16_t& code);
    /// Shows progress step 0..16 of a job, or 255 to put the normal icon back.
    void UpdateProgress(std::uint8_t step);

    /// Jobs print on printer from now on; the page figures follow it.
    void setPrinter(PageDevice& printer);
    /// The fonts page's sample font: face, size in points and style; then the next job's
    /// cell and figures.
    void setSampleFont(const std::string& face, int points, FontStyle style);
    /// Top and left margins in millimetres; then the next job's cell and figures.
    void setMargins(Margins margins);
    /// Portrait or landscape for the next job; then its cell and figures.
    void setOrientation(Orientation orientation);
    /// Loads "NAME.cp" and makes it the code page; a table that fails to load changes nothing.
    void setCodePage(const std::string& name);
    /// Loads "NAME.lng" and makes it the language; a file that fails to load changes nothing.
    void setLanguage(const std::string& name);
    /// The queue time-out in seconds, held to the track bar's 1 to 10.
    void setTimeOut(int seconds);
    void setAutoPrint(bool on) { setSwitch(&Settings::AutoPrint, on, "AutoPrint"); }
    /// Printing at a form feed at the end of the queue instead of after the time-out.
    void setFormFeedEnd(bool on) { setSwitch(&Settings::FormFeed, on, "FormFeed"); }
    void setLineWrap(bool on) { setSwitch(&Settings::LineWrap, on, "LineWrap"); }
    void setPageFeed(bool on) { setSwitch(&Settings::PageFeed, on, "PageFeed"); }
    /// The "Перехват порта" switch; the resident session starts or stops capture.
    void setCapture(bool on) { setSwitch(&Settings::Capture, on, "Capture"); }
    /// The font list shows fixed-pitch faces only.
    void setMonoSpaceOnly(bool on) { setSwitch(&Settings::MonoSpace, on, "MonoSpace"); }
    /// Starting minimised into the notification area.
    void setMinimize(bool on) { setSwitch(&Settings::Minimize, on, "Minimize"); }
    /// The queue file's path.
    void setSpool(const std::string& path);
    /// The bytes sent ahead of every job.
    void setInitString(const std::string& bytes);

    /// The font of the fonts page's sample, which every job prints with.
    CanvasFont sampleFont() const;

    const Settings& settings() const { return m_settings; }
    PageDevice& printer() { return *m_printer; }
    /// Where jobs show their progress, and who answers for the user while one prints.
    ProgressDisplay& progress() { return m_progress; }
    PageGeometry& geometry() { return m_geometry; }
    const PageGeometry& geometry() const { return m_geometry; }
    const CodePageTable& codePage() const { return m_table; }
    const PageFigures& figures() const { return m_figures; }
    const InterfaceTexts& texts() const { return m_texts; }
    const ActiveScheme& scheme() const { return m_scheme; }
    const std::vector<std::string>& dropList() const { return m_dropList; }
    SettingsStore& store() { return m_store; }
    /// The languages of the "*.lng" files and the code pages of the "*.cp" files found at
    /// start-up, in the order the data folder lists them.
    const std::vector<std::string>& languages() const { return m_languages; }
    const std::vector<std::string>& codePages() const { return m_codePages; }

private:
    void applyOverrides();
    JobSettings jobSettings(const std::string& path) const;
    PrintJob makeJob();
    void setSwitch(bool Settings::*field, bool on, const char* name);
    void notifySetting(const char* name);

    PageDevice* m_printer;
    ProgressDisplay& m_progress;
    SettingsStore& m_store;
    FailureReport m_report;
    Settings m_settings;
    std::vector<SettingOverride> m_overrides;
    std::vector<ApplicationObserver*> m_observers;
    std::vector<std::string> m_changed;
    PageGeometry m_geometry;
    BoxRenderer m_boxes;
    CodePageTable m_table;
    ActiveScheme m_scheme;
    InterfaceTexts m_texts;
    std::vector<std::string> m_dropList;
    std::vector<std::string> m_languages;
    std::vector<std::string> m_codePages;
    PageFigures m_figures;
};

} // namespace marlet
