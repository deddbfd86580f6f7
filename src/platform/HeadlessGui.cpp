#include "HeadlessGui.h"

#include <QGuiApplication>

#include <cstdlib>

namespace marlet {

void ensureGuiApplication() {
    if (QCoreApplication::instance())
        return;
    bool hasDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (!hasDisplay && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // QGuiApplication keeps references to argc and argv for its whole life.
    static int argc = 1;
    static char name[] = "marlet";
    static char* argv[] = {name, nullptr};
    // Deliberately never destroyed: Qt's own statics may be gone by the time static
    // destructors run, and the process ends right after anyway.
    new QGuiApplication(argc, argv);
}

} // namespace marlet
