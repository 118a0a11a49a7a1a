#pragma once

// What the update component asks of the operating system beyond files: opening a web page,
// stamping a downloaded file with its time, and (for the restart) starting a program. One
// implementation per platform (update/linux/); tests and quendra-probe supply their own.

#include <string>
#include <vector>

#include "update/DateTime.h"

namespace quendra {

class UpdaterPlatform {
public:
    virtual ~UpdaterPlatform() = default;

    // Hands a web address to the desktop's browser; returns at once, reports nothing.
    virtual void OpenWebPage(const std::u16string& address) const = 0;

    // Sets the file's modification time to the local time `moment`. False when it failed.
    virtual bool SetFileTime(const std::u16string& path, TDateTime moment) const = 0;
};

// The running system's platform.
const UpdaterPlatform& SystemUpdaterPlatform();

}  // namespace quendra
