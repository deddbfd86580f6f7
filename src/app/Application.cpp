#include "Application.h"

#include "base/Error.h"
#include "charset/CodePageList.h"
#include "config/DropList.h"
#include "config/LanguageList.h"
#include "config/SettingValues.h"

#include <algorithm>

namespace marlet {

void Application::setOverrides(std::vector<SettingOverride> overrides) {
    m_scheme.readSchemeNames(m_store);
    SettingChoices choices{listCodePages(), listLanguages(), m_scheme.storedSchemes()};
    for (const auto& [name, value] : overrides)
        checkRunSetting(name, value, choices);
    m_overrides = std::move(overrides);
}

void Application::addObserver(ApplicationObserver& observer) {
    m_observers.push_back(&observer);
}

void Application::removeObserver(ApplicationObserver& observer) {
    std::erase(m_observers, &observer);
}

void Application::startUp() {
    // The sample font has its built-in size until the settings are applied, so the
    // start-up cell is always 12 cpi by 6 lpi.
    m_geometry.setcell(10);
    Margins margins = m_geometry.defaultMargins();
    m_settings.TopMargin = margins.top;
    m_settings.LeftMargin = margins.left;
    m_languages = listLanguages();
    m_codePages = listCodePages();
    restoreSettings();
}

void Application::restoreSettings() {
    restoreStoredSettings(m_store, m_settings, m_report);
    applyOverrides();
    // The time-out track bar holds 1 to 10 seconds.
    m_settings.TimeOut = std::clamp(m_settings.TimeOut, 1, 10);
    m_scheme.readSchemeNames(m_store);
    langset(languageFileName(m_settings.Language));
    codeset(m_settings.CodePage + ".cp");
    m_dropList = readDropList();
    checksize();
}

void Application::saveSettings() {
    saveStoredSettings(m_store, m_settings, m_changed);
}

void Application::langset(const std::string& fileName) {
    m_texts.load(fileName);
    for (ApplicationObserver* observer : m_observers)
        observer->textsChanged();
}

void Application::applyOverrides() {
    for (const auto& [name, value] : m_overrides) {
        if (isSequenceSetting(name))
            m_scheme.chooseForRun(value);
        else
            assignSetting(m_settings, *findSettingField(name), value);
    }
}

std::uint8_t Application::setcell() {
    return m_geometry.setcell(m_settings.FontSize);
}

void Application::checksize() {
    Margins margins{m_settings.TopMargin, m_settings.LeftMargin};
    m_figures = m_geometry.checksize(sampleFont(), margins,
                                     m_settings.Orientation ? Orientation::Landscape
                                                            : Orientation::Portrait);
    for (ApplicationObserver* observer : m_observers)
        observer->figuresChanged();
}

JobSettings Application::jobSettings(const std::string& path) const {
    JobSettings job;
    job.path = path;
    job.orientation = m_settings.Orientation ? Orientation::Landscape : Orientation::Portrait;
    job.sampleFont = sampleFont();
    job.sampleSize = m_settings.FontSize;
    job.lineWrap = m_settings.LineWrap;
    job.pageFeed = m_settings.PageFeed;
    job.initString = m_settings.InitStr;
    return job;
}

PrintJob Application::makeJob() {
    return PrintJob(*m_printer, m_geometry, m_table, m_boxes, EscapeRules{m_scheme, m_dropList},
                    [this](std::uint8_t step) { UpdateProgress(step); });
}

bool Application::printFile(const std::string& path) {
    requireRoomForACell();
    return makeJob().run(jobSettings(path), [this] { LoadSequences(); });
}

void Application::measureJob() {
    JobSettings job = jobSettings({});
    m_printer->setOrientation(job.orientation);
    makeJob().startCell(job);
    checksize();
}

// A page that holds no line, or a line that holds no character, would print every
// character on a page of its own.
void Application::requireRoomForACell() const {
    // A margin past the sheet leaves room for no character, not for less than none.
    if (m_figures.charsPerLine < 1 || m_figures.linesPerPage < 1)
        throw Error("The page has no room for a character cell of " +
                    std::to_string(m_geometry.CellWidth) + "x" +
                    std::to_string(m_geometry.LineHeight) + " pixels: it holds " +
                    std::to_string(std::max(m_figures.charsPerLine, 0)) + " characters by " +
                    std::to_string(std::max(m_figures.linesPerPage, 0)) + " lines");
}

Margins Application::largestMargins() const {
    return m_geometry.largestMargins(m_settings.Orientation ? Orientation::Landscape
                                                            : Orientation::Portrait);
}

void Application::Pseudo(std::int32_t x, std::int32_t y, std::uint16_t& code) {
    m_boxes.drawFigure(x, y, code, m_geometry.CellWidth, m_geometry.FontHeight);
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

void Application::setPrinter(PageDevice& printer) {
    m_printer = &printer;
    m_geometry.setPrinter(printer);
    m_boxes.setPrinter(printer);
    for (ApplicationObserver* observer : m_observers)
        observer->printerChanged();
    checksize();
}

// The fonts page shows the grid the next job will print in, so what changes that grid
// measures a job's cell first, not only the figures of the last job's cell.
void Application::setSampleFont(const std::string& face, int points, FontStyle style) {
    const std::pair<bool Settings::*, const char*> styles[] = {
        {&Settings::FontBold, "FontBold"},
        {&Settings::FontItalic, "FontItalic"},
        {&Settings::FontUnderline, "FontUnderline"},
        {&Settings::FontStrikeout, "FontStrikeout"}};
    const bool wanted[] = {style.bold, style.italic, style.underline, style.strikeout};
    std::vector<const char*> changed;
    if (m_settings.FontName != face) {
        m_settings.FontName = face;
        changed.push_back("FontName");
    }
    if (m_settings.FontSize != points) {
        m_settings.FontSize = points;
        changed.push_back("FontSize");
    }
    for (std::size_t i = 0; i < std::size(styles); ++i) {
        if (m_settings.*styles[i].first != wanted[i]) {
            m_settings.*styles[i].first = wanted[i];
            changed.push_back(styles[i].second);
        }
    }
    for (const char* name : changed)
        notifySetting(name);
    measureJob();
}

void Application::setMargins(Margins margins) {
    bool topChanged = m_settings.TopMargin != margins.top;
    bool leftChanged = m_settings.LeftMargin != margins.left;
    m_settings.TopMargin = margins.top;
    m_settings.LeftMargin = margins.left;
    if (topChanged)
        notifySetting("TopMargin");
    if (leftChanged)
        notifySetting("LeftMargin");
    measureJob();
}

void Application::setOrientation(Orientation orientation) {
    setSwitch(&Settings::Orientation, orientation == Orientation::Landscape, "Orientation");
    measureJob();
}

void Application::setCodePage(const std::string& name) {
    codeset(name + ".cp");
    if (m_settings.CodePage != name) {
        m_settings.CodePage = name;
        notifySetting("CodePage");
    }
}

void Application::setLanguage(const std::string& name) {
    langset(languageFileName(name));
    if (m_settings.Language != name) {
        m_settings.Language = name;
        notifySetting("Language");
    }
}

void Application::setTimeOut(int seconds) {
    seconds = std::clamp(seconds, 1, 10);
    if (m_settings.TimeOut == seconds)
        return;
    m_settings.TimeOut = seconds;
    notifySetting("TimeOut");
}

void Application::setSpool(const std::string& path) {
    if (m_settings.Spool == path)
        return;
    m_settings.Spool = path;
    notifySetting("Spool");
}

void Application::setInitString(const std::string& bytes) {
    if (m_settings.InitStr == bytes)
        return;
    m_settings.InitStr = bytes;
    notifySetting("InitStr");
}

void Application::setSwitch(bool Settings::*field, bool on, const char* name) {
    if (m_settings.*field == on)
        return;
    m_settings.*field = on;
    notifySetting(name);
}

void Application::notifySetting(const char* name) {
    if (std::find(m_changed.begin(), m_changed.end(), name) == m_changed.end())
        m_changed.emplace_back(name);
    // Stored as it changes: a user's `marlet-reg set` of another value while the app runs
    // survives the exit save, and this one survives a kill. A store that cannot take it
    // now gets it again at exit.
    try {
        saveStoredSettings(m_store, m_settings, {name});
    } catch (const Error& e) {
        m_report(e.what());
    }
    for (ApplicationObserver* observer : m_observers)
        observer->settingChanged(name);
}

CanvasFont Application::sampleFont() const {
    FontStyle style{m_settings.FontBold, m_settings.FontItalic, m_settings.FontUnderline,
                    m_settings.FontStrikeout};
    return fontFromPoints(m_settings.FontName, m_settings.FontSize, style, resy());
}

} // namespace marlet
