#pragma once

// The four text operations shared by the window, the report, the lookup and the
// update transfers. Texts are UTF-16.

#include <string>
#include <string_view>
#include <vector>

namespace quendra {

// Escapes a text unit by unit: control units, space and # % * + < > become "%XX";
// units from U+20AC upwards (the euro sign, every surrogate) become "%XXXX";
// everything else is copied.
std::u16string PercentEncode(std::u16string_view text);

// Replaces each separator (matched without regard to ASCII case) by a line break and
// appends the resulting lines to `list`, which is not cleared first.
void SplitToList(std::u16string_view text, std::u16string_view separator,
                 std::vector<std::u16string>& list);

// True when the text has at least 7 characters and begins (ASCII case ignored) with
// "http://", "ftp://", "https://" or "www.".
bool IsWebAddress(std::u16string_view text);

// The four-part version ("1.0.0.0") that the build recorded in the executable at
// `path`, or the empty text when there is no such file or it carries no version.
std::u16string GetModuleVersionString(std::u16string_view path);

}  // namespace quendra
