#pragma once

namespace marlet {

/// Makes sure a QGuiApplication exists, so that fonts resolve in a command-line run; with
/// no display it runs on the offscreen platform. An application made here lives until exit.
void ensureGuiApplication();

} // namespace marlet
