#include "Application.h"

#include "base/Error.h"
#include "config/DropList.h"
#include "render/PrintJob.h"

#include <algorithm>

namespace marlet {

void Application::setOverrides(std::vector<SettingOverride> overrides) {
    for (const auto& [name, value] : overrides) {
        if (!findSettingField(name))
            throw Error("Unknown setting '" + name + "'");
    }
    m_overrides = std::move(overrides);
}

void Application::startUp() {
    // The sample font has its built-in size until the settings are applied, so the
    // start-up cell is always 12 cpi by 6 lpi.
    m_geometry.setcell(10);
    Margins margins = m_geometry.defaultMargins();
    m_settings.TopMargin = margins.top;
    m_settings.LeftMargin = margins.left;
    restoreSettings();
}

void Application::restoreSettings() {
    restoreStoredSettings(m_store, m_settings, m_report);
    applyOverrides();
    // The time-out track bar holds 1 to 10 seconds.
    m_settings.TimeOut = std::clamp(m_settings.TimeOut, 1, 10);
    m_scheme.readSchemeNames(m_store);
    langset(m_settings.Language + ".lng");
    codeset(m_settings.CodePage + ".cp");
    m_dropList = readDropList();
    checksize();
}

void Application::saveSettings() {
    saveStoredSettings(m_store, m_settings);
}

void Application::langset(const std::string& fileName) {
    m_texts.load(fileName);
}

void Application::applyOverrides() {
    for (const auto& [name, value] : m_overrides)
        assignSetting(m_settings, *findSettingField(name), value);
}

std::uint8_t Application::setcell() {
    return m_geometry.setcell(m_settings.FontSize);
}

void Application::checksize() {
    Margins margins{m_settings.TopMargin, m_settings.LeftMargin};
    m_figures = m_geometry.checksize(sampleFont(), margins,
                                     m_settings.Orientation ? Orientation::Landscape
                                                            : Orientation::Portrait);
}

void Application::PrintOut() {
    JobSettings job;
    job.path = m_settings.Spool;
    job.orientation = m_settings.Orientation ? Orientation::Landscape : Orientation::Portrait;
    job.sampleFont = sampleFont();
    job.sampleSize = m_settings.FontSize;
    job.lineWrap = m_settings.LineWrap;
    job.pageFeed = m_settings.PageFeed;
    job.initString = m_settings.InitStr;
    PrintJob(m_printer, m_geometry, m_table, m_boxes, EscapeRules{m_scheme, m_dropList},
             [this](std::uint8_t step) { UpdateProgress(step); })
        .run(job, [this] { LoadSequences(); });
}

void Application::Pseudo(std::int32_t x, std::int32_t y, std::uint16_t& code) {
    m_boxes.Pseudo(x, y, code, m_geometry.CellWidth, m_geometry.FontHeight);
}

void Application::UpdateProgress(std::uint8_t step) {
    // The sixteenth step only comes in the last sixteenth of an odd-sized file.
    if (step <= 15)
        m_progress.showFrame(step);
    else if (step == 16)
        m_progress.showFrame(15);
    else if (step == 255)
        m_progress.restoreIcon();
}

CanvasFont Application::sampleFont() const {
    FontStyle style{m_settings.FontBold, m_settings.FontItalic, m_settings.FontUnderline,
                    m_settings.FontStrikeout};
    return fontFromPoints(m_settings.FontName, m_settings.FontSize, style, resy());
}

} // namespace marlet
