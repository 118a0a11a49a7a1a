#pragma once

// quendra-probe --check-update: the start-up update check exactly as the window runs it
// (the program's own version, the update host's information address, the gate's decisions),
// printing what the window would do instead of doing it.

#include <ostream>

#include "update/upAutoUpdater.h"

namespace quendra {

// Prints every event of the component as one line, "OPEN <address>" for each address the
// window would open, "MESSAGE <text>" and "POPULATE", and returns the exit status. Opens and
// starts nothing.
int RunCheckUpdate(std::ostream& out, const std::u16string& programVersion,
                   const std::u16string& infoFileURL, TupAutoUpdater::Environment environment);

// The same with the running program's own version and the update host's address.
int RunCheckUpdate(std::ostream& out);

}  // namespace quendra
