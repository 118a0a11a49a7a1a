#pragma once

// The URL list file an update delivers: one web address per line. A byte-order mark selects
// UTF-8 or UTF-16, otherwise the text is in the system code page; lines end with CR LF, CR
// or LF.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quendra {

// Whether a downloaded file is the URL list: its name (after the last "/", "\" or ":"),
// lower-cased, contains "urls-qndr.txt".
bool IsUrlListFile(std::u16string_view fileName);

// Whether a listed address is the URL list: lower-cased, it contains "urls-qndr.txt".
bool IsUrlListAddress(std::u16string_view fileURL);

// The file's lines; nothing when it cannot be read.
std::optional<std::vector<std::u16string>> ReadUrlListFile(std::u16string_view fileName);

// The text of a URL list file as lines.
std::vector<std::u16string> UrlListLines(std::string_view bytes);

// The addresses to open, in opening order: from the last line to the first, each trimmed and
// kept when, lower-cased, it begins with "www", "http://", "https://" or "ftp://".
std::vector<std::u16string> UrlListAddresses(const std::vector<std::u16string>& lines);

}  // namespace quendra
