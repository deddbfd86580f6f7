#include "ApplicationSignals.h"

#include "app/Application.h"

namespace marlet {

class ApplicationSignals::Relay final : public ApplicationObserver {
public:
    explicit Relay(ApplicationSignals& owner) : m_owner(owner) {}

    void settingChanged(std::string_view name) override {
        emit m_owner.settingChanged(
            QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    void figuresChanged() override { emit m_owner.figuresChanged(); }
    void textsChanged() override { emit m_owner.textsChanged(); }
    void printerChanged() override { emit m_owner.printerChanged(); }

private:
    ApplicationSignals& m_owner;
};

ApplicationSignals::ApplicationSignals(Application& app, QObject* parent)
    : QObject(parent), m_app(app), m_relay(std::make_unique<Relay>(*this)) {
    m_app.addObserver(*m_relay);
}

ApplicationSignals::~ApplicationSignals() {
    m_app.removeObserver(*m_relay);
}

} // namespace marlet
