#pragma once

#include "charset/CodePageTable.h"
#include "config/Settings.h"
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
    Application(PageDevice& printer, ProgressDisplay& progress)
        : m_printer(printer), m_progress(progress), m_geometry(printer), m_boxes(printer) {}

    /// Settings that win over stored ones for this run. Unknown names are refused.
    void setOverrides(std::vector<SettingOverride> overrides);

    /// Brings the object up as the settings window's creation does: the start-up cell,
    /// the default margins, the restored settings, the code page table and the geometry.
    void startUp();
    /// Applies stored settings and overrides, loads the code page table, runs checksize.
    void restoreSettings();

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

private:
    void applyOverrides();

    PageDevice& m_printer;
    ProgressDisplay& m_progress;
    Settings m_settings;
    std::vector<SettingOverride> m_overrides;
    PageGeometry m_geometry;
    BoxRenderer m_boxes;
    CodePageTable m_table;
    PageFigures m_figures;
};

} // namespace marlet
