#pragma once

// The window's start-up after the system facts were captured: the application object, the
// main window created hidden (which starts the update check), and the event loop until the
// program ends.

#include <functional>

namespace quendra {

class TFormMaster;

// `prepare` (optional) sees the hidden window before the event loop starts; tools that
// measure or picture the start-up hook in there. Returns the event loop's exit code.
int RunQuendra(int& argc, char** argv, const std::function<void(TFormMaster&)>& prepare = {});

}  // namespace quendra
