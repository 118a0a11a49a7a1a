#pragma once

// The file names tried for an ASPI library: the name as given, and for a name ending in
// ".DLL" (any case) the shared-object form lib<lowercased base>.so in the same folder.

#include <string>
#include <string_view>
#include <vector>

namespace quendra::linux_impl {

std::vector<std::string> AspiLibraryCandidates(std::string_view name);

}  // namespace quendra::linux_impl
