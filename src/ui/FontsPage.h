#pragma once

#include "FixedPitchList.h"
#include "config/InterfaceTexts.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QToolButton;

namespace marlet {

class ApplicationSignals;
class CodeChartWindow;
class FontListDelegate;
class PageParamsGroup;
class ResidentSession;

/// The "Шрифты" tab: the printing font (face, style, size) with its sample, the page
/// figures it gives, the margins, and the code page with its chart. Every change goes
/// through the application's setters; what the page shows follows the application's
/// signals, whoever made the change.
class FontsPage final : public QWidget {
    Q_OBJECT
public:
    /// Shows a failure to the user.
    using ErrorReport = std::function<void(const std::string& message)>;

    /// The size of the tab page the controls are laid out for.
    static constexpr QSize PageSize{569, 236};

    FontsPage(ResidentSession& session, ApplicationSignals& appSignals, ErrorReport report,
              QWidget* parent = nullptr);
    ~FontsPage() override;

    /// Start-up has filled the font lists for the first time: from now on the fixed-pitch
    /// list is built when it is needed.
    void markFontListsFilled();
    /// The settings window became active: the font list and the code page list select the
    /// current face and code page, where they hold them.
    void activate();
    /// The fonts tab was shown: builds the fixed-pitch list if the filter needs it.
    void fontsTabShown();

    /// The "ASCII Chart" window the chart button runs.
    CodeChartWindow& chartWindow() { return *m_chart; }

private:
    void buildFontColumn();
    void buildStyleColumn();
    void buildSampleColumn();
    void showTexts();
    void showState();
    void showSample();
    void showCodePages();
    void showFontList();
    void fillfonts();
    void selectFace();
    void selectCodePage();

    void chooseFace(const QString& face);
    void chooseStyle();
    void chooseSize(const QString& text);
    void chooseCodePage(const QString& name);
    void runChart();
    void settingChanged(const QString& name);
    void perform(const std::function<void()>& action);

    ResidentSession& m_session;
    ErrorReport m_report;
    FixedPitchList m_fixedPitch;
    std::vector<std::string> m_families;
    bool m_listsFilled = false;
    bool m_showingFixedPitch = false;

    QGroupBox* m_fontGroup;
    QListWidget* m_fontList;
    FontListDelegate* m_fontDelegate;
    QCheckBox* m_monoSpaceOnly;
    QGroupBox* m_styleGroup;
    QCheckBox* m_bold;
    QCheckBox* m_italic;
    QCheckBox* m_underline;
    QCheckBox* m_strikeout;
    QLabel* m_sizeCaption;
    QComboBox* m_size;
    QLabel* m_codePageCaption;
    QComboBox* m_codePage;
    QToolButton* m_chartButton;
    QGroupBox* m_sampleGroup;
    QLabel* m_sample;
    QLabel* m_faceName;
    QLabel* m_note;
    PageParamsGroup* m_pageParams;
    CodeChartWindow* m_chart;
};

} // namespace marlet
