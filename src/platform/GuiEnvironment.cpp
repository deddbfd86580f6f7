#include "GuiEnvironment.h"

#include <QGuiApplication>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace marlet {

void prepareGuiEnvironment() {
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
}

void requireGuiApplication() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw std::logic_error("Qt devices need the program's QGuiApplication");
}

} // namespace marlet
