#pragma once

// The window's command line, answered before any window (or display) is needed.

#include <optional>
#include <ostream>
#include <span>

namespace quendra {

// Answers --help and --version on `out` and refuses an unknown option (any argument that
// begins with "-") on `err`. Returns the exit code when the program ends here (0, or 2 for a
// usage error), nullopt when the window starts. Arguments that do not begin with "-" belong
// to the window, such as the restart parameter of an update.
std::optional<int> AnswerWindowCommandLine(std::span<const char* const> args, std::ostream& out,
                                           std::ostream& err);

}  // namespace quendra
