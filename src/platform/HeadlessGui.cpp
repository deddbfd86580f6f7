#include "HeadlessGui.h"

#include <QGuiApplication>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace marlet {

void ensureGuiApplication() {
    if (QCoreApplication::instance())
        return;
    bool hasDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (!hasDisplay && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // A login shell gives every user a private runtime folder; a bare command line or a
    // service may not, and Qt would warn about it on every run.
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        std::string runtime = "/tmp/runtime-" + std::to_string(getuid());
        mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
    }
    // QGuiApplication keeps references to argc and argv for its whole life.
    static int argc = 1;
    static char name[] = "marlet";
    static char* argv[] = {name, nullptr};
    // Deliberately never destroyed: Qt's own statics may be gone by the time static
    // destructors run, and the process ends right after anyway.
    new QGuiApplication(argc, argv);
}

} // namespace marlet
