#pragma once

#include "charset/CodePageTable.h"
#include "config/Settings.h"
#include "render/PageDevice.h"
#include "render/PageGeometry.h"

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
    explicit Application(PageDevice& printer) : m_printer(printer), m_geometry(printer) {}

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
    Settings m_settings;
    std::vector<SettingOverride> m_overrides;
    PageGeometry m_geometry;
    CodePageTable m_table;
    PageFigures m_figures;
};

} // namespace marlet
