#include "JobsWindow.h"

#include "ApplicationSignals.h"
#include "UiText.h"
#include "app/ResidentSession.h"
#include "capture/SpoolFile.h"
#include "jobs/JobDump.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <sstream>

namespace marlet {

namespace {

constexpr TextKey StatusTexts[] = {TextKey::JobPrinting, TextKey::JobWaiting, TextKey::JobPrinted,
                                   TextKey::JobCancelled, TextKey::JobFailed};

} // namespace

JobsWindow::JobsWindow(ResidentSession& session, ApplicationSignals& changes, JobHistory history,
                       std::string printProgram, std::string registry)
    : m_session(session), m_history(std::move(history)),
      m_renderer(std::move(printProgram), std::move(registry)), m_list(new QTreeWidget),
      m_view(new QPdfView), m_page(new QSpinBox), m_pageLabel(new QLabel),
      m_previewState(new QLabel), m_zoomIn(new QPushButton(QStringLiteral("+"))),
      m_zoomOut(new QPushButton(QStringLiteral("−"))), m_printAgain(new QPushButton),
      m_savePdf(new QPushButton), m_openPdf(new QPushButton), m_pdfFolder(new QPushButton),
      m_bytes(new QPushButton), m_delete(new QPushButton), m_stop(new QPushButton) {
    setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    m_list->setRootIsDecorated(false);
    m_list->setColumnCount(5);
    m_list->header()->setStretchLastSection(true);
    m_view->setDocument(&m_document);
    m_view->setPageMode(QPdfView::PageMode::SinglePage);
    m_view->setZoomMode(QPdfView::ZoomMode::FitInView);
    m_page->setMinimum(1);

    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(m_pageLabel);
    pageRow->addWidget(m_page);
    pageRow->addWidget(m_previewState);
    pageRow->addStretch();
    pageRow->addWidget(m_zoomOut);
    pageRow->addWidget(m_zoomIn);
    auto* previewSide = new QWidget;
    auto* previewLayout = new QVBoxLayout(previewSide);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->addLayout(pageRow);
    previewLayout->addWidget(m_view, 1);
    auto* splitter = new QSplitter;
    splitter->addWidget(m_list);
    splitter->addWidget(previewSide);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({430, 570});

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_printAgain, m_savePdf, m_openPdf, m_pdfFolder, m_bytes, m_delete})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(m_stop);
    m_stop->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(1000, 700);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &JobsWindow::showSelected);
    connect(m_page, &QSpinBox::valueChanged, this, [this](int page) {
        m_view->pageNavigator()->jump(page - 1, {}, m_view->pageNavigator()->currentZoom());
    });
    connect(m_zoomIn, &QPushButton::clicked, this, [this] { zoom(1.25); });
    connect(m_zoomOut, &QPushButton::clicked, this, [this] { zoom(0.8); });
    connect(m_printAgain, &QPushButton::clicked, this, &JobsWindow::printAgain);
    connect(m_savePdf, &QPushButton::clicked, this, &JobsWindow::savePdf);
    connect(m_openPdf, &QPushButton::clicked, this, &JobsWindow::openPdf);
    connect(m_pdfFolder, &QPushButton::clicked, this, &JobsWindow::openPdfFolder);
    connect(m_bytes, &QPushButton::clicked, this, &JobsWindow::showBytes);
    connect(m_delete, &QPushButton::clicked, this, &JobsWindow::removeSelected);
    connect(m_stop, &QPushButton::clicked, this, &JobsWindow::stopRequested);
    connect(&m_renderer, &JobPreviewRenderer::finished, this, &JobsWindow::previewDrawn);
    connect(&changes, &ApplicationSignals::textsChanged, this, &JobsWindow::retranslate);
    // Jobs come and go while the window shows.
    connect(&m_refresh, &QTimer::timeout, this, &JobsWindow::refresh);
    m_refresh.setInterval(1000);
    retranslate();
}

void JobsWindow::retranslate() {
    const InterfaceTexts& texts = m_session.app().texts();
    auto text = [&](TextKey key) { return uiText(texts, key); };
    setWindowTitle(text(TextKey::Jobs));
    m_list->setHeaderLabels({text(TextKey::JobNumber), text(TextKey::JobTime),
                             text(TextKey::JobState), text(TextKey::JobPages),
                             text(TextKey::JobWhere)});
    m_pageLabel->setText(text(TextKey::JobPage));
    m_printAgain->setText(text(TextKey::JobPrintAgain));
    m_savePdf->setText(text(TextKey::JobSavePdf));
    m_openPdf->setText(text(TextKey::JobOpenPdf));
    m_pdfFolder->setText(text(TextKey::JobPdfFolder));
    m_bytes->setText(text(TextKey::JobBytes));
    m_delete->setText(text(TextKey::JobDelete));
    m_stop->setText(text(TextKey::JobStop));
    refresh();
}

void JobsWindow::showInFront() {
    refresh();
    m_refresh.start();
    show();
    raise();
    activateWindow();
}

void JobsWindow::refresh() {
    const InterfaceTexts& texts = m_session.app().texts();
    const std::optional<JobRecord> chosen = selected();
    std::vector<JobRecord> jobs = waitingJobs();
    for (JobRecord& kept : m_history.list())
        jobs.push_back(std::move(kept));
    QSignalBlocker quiet(m_list);
    m_list->clear();
    for (const JobRecord& job : jobs) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setData(0, Qt::UserRole, job.number);
        item->setText(0, job.number <= 0 ? QString() : QString::number(job.number));
        item->setText(1, QDateTime::fromSecsSinceEpoch(job.when).toString(
                             QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        item->setText(2, uiText(texts, StatusTexts[static_cast<int>(job.status)]));
        item->setText(3, QString::number(job.pages));
        item->setText(4, QString::fromStdString(job.destination));
        if (!job.message.empty())
            item->setToolTip(2, QString::fromStdString(job.message));
        if (chosen && chosen->number == job.number)
            item->setSelected(true);
    }
    for (int column = 0; column < 4; ++column)
        m_list->resizeColumnToContents(column);
    // A waiting job that grew since its preview was drawn is drawn again.
    showSelected();
}

void JobsWindow::showPrinting(bool printing) {
    m_printing = printing;
    m_stop->setEnabled(printing);
    if (isVisible())
        refresh();
    else
        updateButtons();
}

void JobsWindow::updateButtons() {
    const std::optional<JobRecord> job = selected();
    const bool any = job.has_value();
    for (QPushButton* button : {m_savePdf, m_bytes})
        button->setEnabled(any);
    // One job prints at a time, and the one that prints keeps its bytes until it ends.
    m_printAgain->setEnabled(any && !m_printing);
    m_delete->setEnabled(any && !(m_printing && job->status == JobStatus::Printing));
    m_openPdf->setEnabled(any && job->destination.ends_with(".pdf"));
    m_pdfFolder->setEnabled(m_openPdf->isEnabled());
    if (!any && m_shown) {
        m_shown.reset();
        m_drawn = false;
        m_renderer.stop();
        m_previewState->clear();
        m_document.close();
    }
}

void JobsWindow::select(int number) {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->data(0, Qt::UserRole).toInt() == number) {
            m_list->setCurrentItem(m_list->topLevelItem(i));
            return;
        }
    }
}

std::optional<JobRecord> JobsWindow::selected() const {
    const QList<QTreeWidgetItem*> items = m_list->selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    const int number = items.front()->data(0, Qt::UserRole).toInt();
    if (number > 0)
        return m_history.find(number);
    for (const JobRecord& waiting : waitingJobs())
        if (waiting.number == number)
            return waiting;
    return std::nullopt;
}

// The queue while jobs wait in it for the user, with automatic printing off, in the order
// they print: the job its sender ended (number 0), then the bytes behind it (-1).
std::vector<JobRecord> JobsWindow::waitingJobs() const {
    const Settings& settings = m_session.app().settings();
    std::vector<JobRecord> waiting;
    if (settings.AutoPrint)
        return waiting;
    const std::pair<int, std::string> files[] = {{0, SpoolFile(settings.Spool).endedPath()},
                                                 {-1, settings.Spool}};
    for (const auto& [number, path] : files) {
        const QFileInfo queue(QString::fromStdString(path));
        if (!queue.exists())
            continue;
        JobRecord record;
        record.number = number;
        record.when = queue.lastModified().toSecsSinceEpoch();
        record.source = path;
        record.size = static_cast<std::uint64_t>(queue.size());
        record.status = JobStatus::Waiting;
        waiting.push_back(record);
    }
    return waiting;
}

std::string JobsWindow::bytesOf(const JobRecord& record) const {
    return record.number <= 0 ? record.source : m_history.bytesPath(record.number);
}

void JobsWindow::showSelected() {
    updateButtons();
    std::optional<JobRecord> record = selected();
    if (!record || (m_shown == record->number && m_shownSize == record->size))
        return;
    m_shown = record->number;
    m_shownSize = record->size;
    m_drawn = false;
    m_saveTo.clear();
    m_document.close();
    m_previewState->setText(uiText(m_session.app().texts(), TextKey::JobPreparing));
    // The job's pages as they would print now: Marlet's own PDF of the job, on the PDF
    // printer's sheet, with the settings stored at this moment.
    m_renderer.render(record->number, QString::fromStdString(bytesOf(*record)),
                      m_previews.filePath(QStringLiteral("job-%1.pdf").arg(record->number)));
}

void JobsWindow::previewDrawn(int number, const QString& pdf) {
    if (number != m_shown)
        return;
    m_drawn = !pdf.isEmpty();
    m_previewState->setText(m_drawn ? QString()
                                    : uiText(m_session.app().texts(), TextKey::JobPreviewFailed));
    if (m_drawn)
        m_document.load(pdf);
    m_page->setMaximum(std::max(1, m_document.pageCount()));
    m_page->setValue(1);
    m_view->pageNavigator()->jump(0, {}, 0);
    if (!m_saveTo.isEmpty() && m_drawn) {
        QFile::remove(m_saveTo);
        QFile::copy(pdf, m_saveTo);
    }
    m_saveTo.clear();
}

void JobsWindow::printAgain() {
    if (std::optional<JobRecord> record = selected()) {
        if (record->number <= 0)
            m_session.printQueue();
        else
            m_session.printChosenFile(bytesOf(*record));
    }
    refresh();
}

void JobsWindow::savePdf() {
    std::optional<JobRecord> record = selected();
    if (!record)
        return;
    const QString target = QFileDialog::getSaveFileName(
        this, m_savePdf->text(),
        record->number > 0 ? QStringLiteral("job-%1.pdf").arg(record->number)
                           : QStringLiteral("waiting-job.pdf"),
        QStringLiteral("PDF (*.pdf)"));
    if (target.isEmpty())
        return;
    // The preview is this job's PDF: copied now, or once it is drawn.
    if (!m_drawn) {
        m_saveTo = target;
        return;
    }
    QFile::remove(target);
    QFile::copy(m_previews.filePath(QStringLiteral("job-%1.pdf").arg(record->number)), target);
}

void JobsWindow::openPdf() {
    if (std::optional<JobRecord> record = selected())
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(record->destination)));
}

void JobsWindow::openPdfFolder() {
    if (std::optional<JobRecord> record = selected())
        QDesktopServices::openUrl(QUrl::fromLocalFile(
            QFileInfo(QString::fromStdString(record->destination)).absolutePath()));
}

QString JobsWindow::byteView() const {
    std::optional<JobRecord> record = selected();
    if (!record)
        return {};
    QFile file(QString::fromStdString(bytesOf(*record)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    Application& app = m_session.app();
    app.LoadSequences();
    std::ostringstream out;
    JobDump(app.scheme(), app.dropList(), app.codePage())
        .write(out, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
               app.settings().InitStr);
    return QString::fromStdString(out.str());
}

void JobsWindow::showBytes() {
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(m_bytes->text());
    auto* text = new QPlainTextEdit(byteView());
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    dialog->resize(1100, 600);
    dialog->show();
}

void JobsWindow::removeSelected() {
    if (std::optional<JobRecord> record = selected())
        record->number <= 0 ? m_session.clearQueue() : void(m_history.remove(record->number));
    refresh();
}

void JobsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

void JobsWindow::hideEvent(QHideEvent* event) {
    m_refresh.stop();
    QWidget::hideEvent(event);
}

void JobsWindow::zoom(double factor) {
    const double current =
        m_view->zoomMode() == QPdfView::ZoomMode::Custom ? m_view->zoomFactor() : 1.0;
    m_view->setZoomMode(QPdfView::ZoomMode::Custom);
    m_view->setZoomFactor(std::clamp(current * factor, 0.1, 8.0));
}

} // namespace marlet
