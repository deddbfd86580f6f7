#pragma once

namespace marlet {

/// Readies the environment of this process for a Qt application: the offscreen platform
/// where there is no display, and a private runtime folder where the session has none.
/// Call it before the program makes its QGuiApplication or QApplication.
void prepareGuiEnvironment();

/// Fails unless the program has made its QGuiApplication: Qt's printers and images need
/// one for their fonts.
void requireGuiApplication();

} // namespace marlet
