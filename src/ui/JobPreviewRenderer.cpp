#include "JobPreviewRenderer.h"

#include <QDir>

namespace marlet {

JobPreviewRenderer::JobPreviewRenderer(std::string program, std::string registry, QObject* parent)
    : QObject(parent), m_program(std::move(program)), m_registry(std::move(registry)) {
}

JobPreviewRenderer::~JobPreviewRenderer() {
    stop();
}

void JobPreviewRenderer::render(int number, const QString& bytesPath, const QString& pdf) {
    stop();
    QStringList arguments;
    if (!m_registry.empty())
        arguments << QStringLiteral("--registry") << QString::fromStdString(m_registry);
    arguments << QStringLiteral("--data-dir") << QDir::currentPath() << QStringLiteral("-o") << pdf
              << bytesPath;
    m_process = std::make_unique<QProcess>();
    QProcess* process = m_process.get();
    connect(process, &QProcess::finished, this,
            [this, process, number, pdf](int exitCode, QProcess::ExitStatus status) {
                if (process != m_process.get())
                    return;
                const bool drawn = status == QProcess::NormalExit && exitCode == 0;
                // Deleted once its own signal has returned.
                m_process.release()->deleteLater();
                emit finished(number, drawn ? pdf : QString());
            });
    connect(process, &QProcess::errorOccurred, this,
            [this, process, number](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart || process != m_process.get())
                    return;
                m_process.release()->deleteLater();
                emit finished(number, QString());
            });
    process->start(QString::fromStdString(m_program), arguments);
}

void JobPreviewRenderer::stop() {
    if (!m_process)
        return;
    std::unique_ptr<QProcess> process = std::move(m_process);
    process->disconnect(this);
    process->kill();
    process->waitForFinished();
}

} // namespace marlet
