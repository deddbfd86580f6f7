#pragma once

#include "JobPreviewRenderer.h"
#include "jobs/JobHistory.h"

#include <QPdfDocument>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPdfView;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace marlet {

class ApplicationSignals;
class ResidentSession;

/// "Задания": the jobs the resident app kept, newest last, and first the jobs that wait in
/// the queue while automatic printing is off (the ended job 0, the queue behind it -1), with
/// a preview of the selected job's pages as they print with today's settings (Marlet's own PDF,
/// page by page, zoomable), and the commands on it: print again, save as PDF, open the PDF it
/// became, open the PDF folder, the byte view, delete; and stopping the job that prints.
class JobsWindow final : public QWidget {
    Q_OBJECT
public:
    /// printProgram is the marlet-print that draws the previews; registry the settings store
    /// it reads (empty: its default).
    JobsWindow(ResidentSession& session, ApplicationSignals& changes, JobHistory history,
               std::string printProgram, std::string registry);

    /// Shows the window in front, its list read again.
    void showInFront();
    /// Reads the list again, keeping the selected job.
    void refresh();
    /// Selects job number and shows its preview.
    void select(int number);

    /// The selected job's pages as the preview shows them, once drawn.
    const QPdfDocument& preview() const { return m_document; }
    /// Whether the selected job's preview is still being drawn.
    bool previewBusy() const { return m_renderer.busy(); }
    /// The view that shows the preview.
    QPdfView& previewView() { return *m_view; }
    /// The list of jobs, one row each.
    QTreeWidget& list() { return *m_list; }
    /// The byte view of the selected job, as the byte view window shows it.
    QString byteView() const;
    /// A job starts or ends printing: "Остановить печать" offered while one prints, and
    /// printing again held back.
    void showPrinting(bool printing);

signals:
    /// "Остановить печать" was clicked.
    void stopRequested();

protected:
    /// Esc closes the window, as it does the other tool windows.
    void keyPressEvent(QKeyEvent* event) override;
    /// A hidden window stops looking at the jobs.
    void hideEvent(QHideEvent* event) override;

private:
    void retranslate();
    void showSelected();
    void updateButtons();
    std::optional<JobRecord> selected() const;
    std::vector<JobRecord> waitingJobs() const;
    std::string bytesOf(const JobRecord& record) const;
    void previewDrawn(int number, const QString& pdf);
    void printAgain();
    void savePdf();
    void openPdf();
    void openPdfFolder();
    void showBytes();
    void removeSelected();
    void zoom(double factor);

    ResidentSession& m_session;
    JobHistory m_history;
    JobPreviewRenderer m_renderer;
    QTemporaryDir m_previews;
    QPdfDocument m_document;
    QTreeWidget* m_list;
    QPdfView* m_view;
    QSpinBox* m_page;
    QLabel* m_pageLabel;
    QLabel* m_previewState;
    QPushButton* m_zoomIn;
    QPushButton* m_zoomOut;
    QPushButton* m_printAgain;
    QPushButton* m_savePdf;
    QPushButton* m_openPdf;
    QPushButton* m_pdfFolder;
    QPushButton* m_bytes;
    QPushButton* m_delete;
    QPushButton* m_stop;
    QTimer m_refresh;
    bool m_printing = false;
    std::optional<int> m_shown;    // the job previewed: its number, 0 or below for a waiting one
    std::uint64_t m_shownSize = 0; // and its size then: a waiting job grows
    bool m_drawn = false;          // its PDF is ready
    QString m_saveTo;              // where "save as PDF" puts it once drawn
};

} // namespace marlet
