#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace marlet {

class Application;

/// The application's changes as Qt signals, so that widgets refresh from them instead of
/// reaching into each other. Listens to the application until it is destroyed.
class ApplicationSignals final : public QObject {
    Q_OBJECT
public:
    explicit ApplicationSignals(Application& app, QObject* parent = nullptr);
    ~ApplicationSignals() override;

signals:
    /// A setting took a new value; name is its stored name ("FontSize").
    void settingChanged(const QString& name);
    /// checksize worked out the page figures and the origin afresh.
    void figuresChanged();
    /// A language file gave the interface its texts.
    void textsChanged();
    /// Jobs go to another printer from now on.
    void printerChanged();

private:
    class Relay;
    Application& m_app;
    std::unique_ptr<Relay> m_relay;
};

} // namespace marlet
