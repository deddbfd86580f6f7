#include "Application.h"

#include "base/Error.h"

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
    applyOverrides();
    if (m_settings.TimeOut < 1)
        m_settings.TimeOut = 1;
    if (m_settings.TimeOut > 10)
        m_settings.TimeOut = 10;
    codeset(m_settings.CodePage + ".cp");
    checksize();
}

void Application::applyOverrides() {
    for (const auto& [name, value] : m_overrides)
        assignSetting(m_settings, *findSettingField(name), value);
}

std::uint8_t Application::setcell() { return m_geometry.setcell(m_settings.FontSize); }

void Application::checksize() {
    Margins margins{m_settings.TopMargin, m_settings.LeftMargin};
    m_figures = m_geometry.checksize(sampleFont(), margins,
                                     m_settings.Orientation ? Orientation::Landscape
                                                            : Orientation::Portrait);
}

CanvasFont Application::sampleFont() const {
    FontStyle style{m_settings.FontBold, m_settings.FontItalic, m_settings.FontUnderline,
                    m_settings.FontStrikeout};
    return fontFromPoints(m_settings.FontName, m_settings.FontSize, style, resy());
}

} // namespace marlet
