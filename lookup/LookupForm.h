#pragma once

// The report as the lookup service receives it: form field lines, then the request body.

#include <string>
#include <string_view>
#include <vector>

namespace quendra {

// One field line per report line (lines end at CR LF, CR or LF; U+0000 ends the report):
// the text before the first "=", "=", and the percent-encoded text after it. A line
// without "=" gives "=".
std::vector<std::u16string> ReportFieldLines(std::u16string_view report);

// Escapes the text after the first "=" of a field line a second time: each character
// (a surrogate pair counts as one) that is one of * < > # % " { } | \ ^ [ ] ` or lies
// outside U+0021..U+0080 becomes its UTF-8 bytes as "%XX". The name stays as it is.
std::u16string EscapeFieldValue(std::u16string_view fieldLine);

// The request body: the escaped field lines joined by "&", trimmed at both ends, as ASCII
// bytes ("?" for any character outside ASCII).
std::string LookupBody(const std::vector<std::u16string>& fieldLines);

}  // namespace quendra
