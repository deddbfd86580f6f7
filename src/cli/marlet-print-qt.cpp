// marlet-print with Qt's devices: PNG pages, and Qt's printers on hosts without CUPS.

#include "PrintCommand.h"
#include "devices/QtDeviceSet.h"
#include "platform/GuiEnvironment.h"

#include <QGuiApplication>

namespace {

// Qt's devices with the application they need; the environment is readied before Qt reads it.
struct QtSession {
    QtSession(int& argc, char** argv)
        : application((marlet::prepareGuiEnvironment(), argc), argv) {}
    QGuiApplication application;
    marlet::QtDeviceSet devices;
};

} // namespace

int main(int argc, char** argv) {
    return marlet::runPrintCommand(argc, argv, [](int& count, char** arguments) {
        auto session = std::make_shared<QtSession>(count, arguments);
        return std::shared_ptr<marlet::QtDevices>(session, &session->devices);
    });
}
