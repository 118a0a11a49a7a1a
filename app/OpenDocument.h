#pragma once

#include <string_view>

namespace quendra {

// Hands an address or file path to the desktop's default handler (the URL opener),
// started detached with an argument vector, never through a shell. Returns at once;
// a failure (no opener installed) is not reported. An address beginning with "www."
// gets "http://" in front, since the opener needs a scheme.
void OpenDocument(std::u16string_view target);

}  // namespace quendra
