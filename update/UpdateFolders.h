#pragma once

// The folders the update component works with, fixed at program start. On Linux: ExeName is
// the path of /proc/self/exe, AppFolder its folder, TempFolder $TMPDIR or /tmp (AppFolder
// when that folder does not exist); the folders of %desktop%, %mydocuments%, %mypictures%
// and %appdata% are the user's XDG folders (XDG_DESKTOP_DIR, XDG_DOCUMENTS_DIR,
// XDG_PICTURES_DIR, XDG_DATA_HOME, defaulting to ~/Desktop, ~/Documents, ~/Pictures and
// ~/.local/share). Every folder ends with "/". Downloads go to AppFolder, or, where the
// program cannot write there (an installed program), to DownloadFolder:
// $XDG_CACHE_HOME/quendra/ (default ~/.cache/quendra/), made with mode 0700 when needed.

#include <string>

namespace quendra {

struct UpdateFolders {
    std::u16string ExeName;
    std::u16string AppFolder;
    std::u16string TempFolder;
    std::u16string Desktop;
    std::u16string Documents;
    std::u16string Pictures;
    std::u16string AppData;
    // Where downloads go by default: AppFolder when the program may write there, else the
    // per-user download folder.
    std::u16string DownloadFolder;
    // The lock that lets one update check at a time run per user:
    // $XDG_RUNTIME_DIR/quendra-update.lock, else in the per-user download folder.
    std::u16string CheckLockFile;
};

// The running program's folders, read from the system and the environment once.
const UpdateFolders& SystemUpdateFolders();

// $XDG_CACHE_HOME/quendra/ (default ~/.cache/quendra/), made with mode 0700 when missing.
std::u16string PerUserDownloadFolder();

}  // namespace quendra
