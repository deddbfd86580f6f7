#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

#include <memory>
#include <string>

namespace marlet {

/// Draws a kept job into Marlet's own PDF with marlet-print in the background, as a job
/// prints with the settings stored at that moment, so that a window stays answering while
/// a long job is drawn. One job at a time: a new one stops the one before.
class JobPreviewRenderer final : public QObject {
    Q_OBJECT
public:
    /// program is the marlet-print to run; registry the settings store it reads (empty:
    /// its default).
    JobPreviewRenderer(std::string program, std::string registry, QObject* parent = nullptr);
    ~JobPreviewRenderer() override;

    /// Starts drawing the job whose bytes are in bytesPath into pdf; number names it in
    /// the finished signal.
    void render(int number, const QString& bytesPath, const QString& pdf);
    /// Stops the job being drawn, if any; no signal follows.
    void stop();
    /// Whether a job is being drawn.
    bool busy() const { return m_process != nullptr; }

signals:
    /// Job number is drawn into pdf, or could not be drawn (pdf empty).
    void finished(int number, const QString& pdf);

private:
    std::string m_program;
    std::string m_registry;
    std::unique_ptr<QProcess> m_process;
};

} // namespace marlet
