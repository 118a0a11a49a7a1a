#pragma once

// The update information file: a text of directives ("#version=...", "#url=...",
// "#message={...}", ...) that says which release is current and which files it consists of,
// and the small rules the session applies to it: version and date comparison, path macros,
// file names from addresses, folder creation.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/DateTime.h"
#include "update/UpdateFolders.h"

namespace quendra {

enum class TupUpgradeMethod { umSelfUpgrade, umUseExternalSetup, umRedirectToURL };
enum class TupAutoUpdaterVersionControl { byDate, byNumber };

using TupStringList = std::vector<std::u16string>;

// The value of directive `key` (letter case ignored): from just after the first "key=" (with
// `isBlock`, "key={") up to the first character below 32 (with `isBlock`, the first "}"),
// never reaching the text's last two characters. Empty values read as `fallback`.
std::u16string GetInfoValue(std::u16string_view text, std::u16string_view key, bool isBlock,
                            std::u16string_view fallback = {});

struct InfoFileSettings {
    TupAutoUpdaterVersionControl VersionControl = TupAutoUpdaterVersionControl::byDate;
    std::u16string VersionNumber;
    std::u16string VersionDate;  // month/day/year
    TDateTime Today = 0;         // what an unreadable date reads as
};

struct InfoFileContents {
    bool Newer = false;
    TupStringList Files;  // entries "url" or "url=local path", in list order
    std::u16string UpgradeMsg;
    TupUpgradeMethod UpgradeMethod = TupUpgradeMethod::umSelfUpgrade;
};

// Reads the file's bytes (system code page) and decides whether it offers a newer release.
// Message and method are read only when it does and lists at least one file.
InfoFileContents ParseInfoFile(std::string_view bytes, const InfoFileSettings& settings);

// 1 when version `a` is newer than `b`, -1 when older, 0 when equal. Four dotted parts are
// compared as numbers; when a part of either is not a number, the whole texts decide.
int CompareVersions(std::u16string_view a, std::u16string_view b);

// "month/day/year" as a date at 00:00; `today` when the text is not a valid date.
TDateTime StrToInfoDate(std::u16string_view text, TDateTime today);
// "MM/DD/YYYY".
std::u16string InfoDateToStr(TDateTime date);
// Today's date at 00:00, local time.
TDateTime Today();

// Replaces the folder macros (%current%, %temp%, %desktop%, %mydocuments%, %mypictures%,
// %appdata%; letter case ignored) by their folders, turns "\" into "/", and with
// `prefixRelative` puts the download folder in front of a path that does not begin with
// "/". The macros of Windows' own folders (%programfiles%, %windows%, %system%, %help%,
// %media%, %cursors%) have no counterpart here: a path naming one gives the empty text.
std::u16string ExpandPathMacros(std::u16string_view path, bool prefixRelative,
                                const UpdateFolders& folders);

// The folders a downloaded file may be placed in: the download folder, AppFolder, the
// temporary folder and the folders of the macros.
std::vector<std::u16string> BaseFolders(const UpdateFolders& folders);

// The path with "." and ".." resolved, when it stays inside one of the base folders;
// nothing when it leaves them (or is not absolute).
std::optional<std::u16string> ContainedPath(std::u16string_view path,
                                            const std::vector<std::u16string>& baseFolders);

// The last segment of the address's path, escapes decoded; empty when the path ends in "/"
// or the address cannot be read.
std::u16string FileNameFromURL(std::u16string_view url);

// Creates every missing folder along the folder part of `path`, inside the base folders
// only. Failures are ignored.
void ForceFolders(std::u16string_view path, const std::vector<std::u16string>& baseFolders);

}  // namespace quendra
