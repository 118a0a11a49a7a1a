#pragma once

// What the update component asks of the operating system beyond files: opening a web page,
// stamping a downloaded file with its time, and (for the restart) starting a program. One
// implementation per platform (update/linux/); tests and quendra-probe supply their own.

#include <memory>
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

    // Starts arguments[0] with the arguments, detached, never through a shell. With
    // `waitForThisProcess` it learns this process's id (kWaitForProcessVariable), so that it
    // can wait for this process to end. False when it could not be started.
    virtual bool StartProgram(const std::vector<std::u16string>& arguments,
                              bool waitForThisProcess) const = 0;

    // Whether the machine is online.
    virtual bool IsOnline() const = 0;

    // An exclusive advisory lock on the file (made when missing), held while the returned
    // object lives; null when another holder has it (or it cannot be made).
    virtual std::shared_ptr<void> TryLockFile(const std::u16string& path) const = 0;
};

// The variable that tells the updater which process to wait for.
inline constexpr const char* kWaitForProcessVariable = "QUENDRA_UPDATER_WAIT_PID";

// The running system's platform.
const UpdaterPlatform& SystemUpdaterPlatform();

}  // namespace quendra
