#pragma once

// The self-update component. CheckUpdate fetches the update information file (into memory,
// on a worker), decides whether a newer release exists, and then either reports that there
// is none or announces the upgrade and fetches the listed files one after another. Every
// outcome reaches the application as an event on the UI thread.
//
// Linux: ExeName, AppFolder and TempFolder are those of UpdateFolders; downloads go to its
// DownloadFolder (AppFolder where the program may write there, else the per-user cache
// folder), and DeleteTempFiles cleans both. A downloaded file is never executed or opened
// by the component. A local path from the information file that leaves the base folders is
// refused: the entry is handled as if it had no local path.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "update/InfoFile.h"
#include "update/IntervalTimer.h"
#include "update/UpdateFolders.h"
#include "update/UpdaterPlatform.h"
#include "update/UpdaterPrompts.h"
#include "update/upHTTP.h"

namespace quendra {

enum class TupMiscFilesUpgradeBehavior { mfuAlwaysDownload, mfuOnlyIfSizeDifferent };

enum class TupAutoUpdaterShowMessage {
    mAskUpgrade,
    mConnLost,
    mHostUnreachable,
    mLostFile,
    mNoInfoFile,
    mNoUpdateAvailable,
    mPasswordRequest,
};
using TupAutoUpdaterShowMessages = TupSet<TupAutoUpdaterShowMessage>;

// The published description of an update; the check neither reads nor writes it.
struct TupAutoUpdaterInfo {
    TupStringList Files;
    TupUpgradeMethod UpgradeMethod = TupUpgradeMethod::umSelfUpgrade;
    std::u16string UpgradeMsg;
};

struct TupAutoUpdaterWizard {
    bool Enabled = true;
    bool HideFileLocation = false;
    std::u16string SidePicture;
    std::u16string Language;  // empty: automatic
    bool StayOnTop = false;
};

class TupAutoUpdater : public TupCustomHTTP {
public:
    struct Environment {
        UpdateFolders folders = SystemUpdateFolders();
        const UpdaterPlatform* platform = &SystemUpdaterPlatform();
        UpdaterPrompts* prompts = nullptr;  // null: every box answers as closed
        // The updater program a restart writes to UpdaterPath and starts (empty: none).
        std::span<const std::byte> updaterProgram;
        // Closes the main window and ends the program (a restart without
        // OnDoOwnCloseAppMethod).
        std::function<void()> closeApplication;
    };

    TupAutoUpdater();
    explicit TupAutoUpdater(Environment environment);
    ~TupAutoUpdater() override;

    // Published properties.
    bool AutoCheck() const { return autoCheck_; }
    // Arms or kills the automatic check's timer. Throws std::runtime_error("Not enough timers
    // available") when no timer can be made.
    void SetAutoCheck(bool autoCheck);
    int AutoCheckDelay = 10000;  // ms
    // The component's cache options; the engine's own (TupCustomHTTP::CacheOptions) follow
    // them, with pragma no-cache added while the information file is fetched.
    TupCacheOptions CacheOptions{TupCacheOption::coReloadIfNoExpireInformation,
                                 TupCacheOption::coReloadUpdatedObjects,
                                 TupCacheOption::coCreateTempFilesIfCantCache};
    TupAutoUpdaterInfo InfoFile;
    std::u16string InfoFileURL = u"http://";
    TupMiscFilesUpgradeBehavior MiscFilesUpgrade = TupMiscFilesUpgradeBehavior::mfuAlwaysDownload;
    TupAutoUpdaterVersionControl VersionControl = TupAutoUpdaterVersionControl::byDate;
    std::u16string VersionDate;  // month/day/year; today at creation
    bool VersionDateAutoSet = true;
    std::u16string VersionNumber;
    TupAutoUpdaterShowMessages ShowMessages{
        TupAutoUpdaterShowMessage::mAskUpgrade, TupAutoUpdaterShowMessage::mConnLost,
        TupAutoUpdaterShowMessage::mLostFile, TupAutoUpdaterShowMessage::mPasswordRequest};
    TupAutoUpdaterWizard Wizard;

    const std::u16string& RestartParams() const { return restartParams_; }
    // An empty text is stored as a single space.
    void SetRestartParams(std::u16string params);

    // Events, all raised on the UI thread.
    std::function<void(TupAutoUpdater& Sender, const std::u16string& UpgradeMsg,
                       TupUpgradeMethod UpgradeMethod, TupStringList& Files, bool& CanUpgrade)>
        OnBeginUpgrade;
    std::function<void(TupAutoUpdater& Sender, bool& RestartImediately)> OnEndUpgrade;
    std::function<void(TupAutoUpdater& Sender)> OnLaterUpgrade;
    std::function<void(TupAutoUpdater& Sender, const std::u16string& FileURL, std::int32_t FileSize,
                       std::int32_t BytesRead, std::int32_t ElapsedTime,
                       std::int32_t EstimatedTimeLeft, std::uint8_t PercentsDone,
                       std::uint8_t TotalPercentsDone, float TransferRate)>
        OnProgress;
    std::function<void(TupAutoUpdater& Sender, const std::u16string& FileURL, std::int32_t FileSize,
                       TDateTime FileTime, bool& CanUpgrade)>
        OnFileStart;
    std::function<void(TupAutoUpdater& Sender, const std::u16string& FileName)> OnFileDone;
    std::function<void(TupAutoUpdater& Sender)> OnDoOwnCloseAppMethod;
    std::function<void(TupAutoUpdater& Sender)> OnAfterRestart;
    std::function<void(TupAutoUpdater& Sender)> OnAborted;
    std::function<void(TupAutoUpdater& Sender)> OnConnLost;
    std::function<void(TupAutoUpdater& Sender, const std::u16string& URL,
                       const std::u16string& Hostname)>
        OnHostUnreachable;
    std::function<void(TupAutoUpdater& Sender)> OnNoUpdateAvailable;
    std::function<void(TupAutoUpdater& Sender)> OnNoInfoFile;
    std::function<void(TupAutoUpdater& Sender, const std::u16string& FileURL,
                       std::int32_t ErrorCode, bool& ContinueUpgrade)>
        OnLostFile;
    std::function<void(TupAutoUpdater& Sender, const std::u16string& Realm, bool& TryAgain)>
        OnPasswordRequest;

    // Not an event of the component's own: called whenever a session step ends with nothing
    // more to do (no transfer started, no file left), so that an application can react to
    // outcomes that raise none of the events it binds.
    std::function<void(TupAutoUpdater& Sender)> OnSessionAtRest;

    // Starts a check. CheckOnly false: returns at once, the outcome follows as events.
    // CheckOnly true: serves the UI thread's events until the check has an outcome, takes no
    // upgrade step, and returns whether an update was found.
    bool CheckUpdate(bool CheckOnly);
    void AbortUpgrade(bool Immediately);
    void StopTransfer(bool Immediately);
    void DownloadNextFile(bool First);
    // Deletes every "*.uTMP" file of the download folders.
    void DeleteTempFiles();
    // Launches the updater program (which replaces the downloaded files and starts the
    // program again with `Params`) and closes the application. Empty `Params`: RestartParams
    // followed by the upgrade method's digit.
    void RestartApplication(std::u16string Params);
    // Kills the automatic check's timer, then arms it with AutoCheckDelay when AutoCheck is
    // set, the timer has not fired for good and the delay is positive.
    void UpdateAutoCheckTimer();
    bool IsOnline() const { return environment_.platform->IsOnline(); }
    // The application's form has loaded: raises OnAfterRestart when `firstParameter` (the
    // program's first command-line parameter) is exactly RestartParams.
    void Loaded(std::u16string_view firstParameter);

    bool UpdateFound() const { return FUpdateFound; }
    const TupStringList& Files() const { return FFiles; }
    const std::u16string& TargetFile() const { return FTargetFile; }
    const UpdateFolders& Folders() const { return environment_.folders; }
    const UpdaterPlatform& Platform() const { return *environment_.platform; }
    // TempFolder + "QndrUpdater.exe".
    std::u16string UpdaterPath() const;
    // TempFolder + "UpdaterQueue.txt".
    std::u16string QueueFile() const;
    bool Restarting() const { return FRestarting; }

private:
    void BindEngine();
    void InfoFileArrived(const std::string& body);
    void HeaderArrived(const TupHTTPHeaderInfo& info, bool& Continue);
    void FileArrived();
    void Progress(const TupHTTPProgress& progress);
    void HostUnreachable();
    void Error(int status);
    void ConnectionLost();
    void PasswordRequest(const std::u16string& realm, bool& tryAgain);
    void SetDone();
    void LaunchUpdater(const std::u16string& params);
    void TimerFired();
    // The local path entry `index` of the list is stored under (without ".uTMP").
    std::u16string LocalPathOf(std::size_t index) const;
    void AtRest();
    // Removes what arrived of a listed file whose transfer failed: nothing resumes it.
    void DiscardPartialFile();
    UpdaterPrompts& Prompts();
    bool Shows(TupAutoUpdaterShowMessage message) const { return ShowMessages.Contains(message); }

    Environment environment_;
    bool autoCheck_ = false;
    IntervalTimer timer_;
    UpdaterPrompts defaultPrompts_;
    std::u16string restartParams_ = u"/afterupgrade";

    bool FUpdateFound = false;
    bool FCheckOnly = false;
    bool FAborted = false;
    bool FAutoStarted = false;
    bool FTimerFired = false;
    bool FInfoFileMode = false;
    bool FFilesReady = false;
    TupUpgradeMethod FUpgradeMethod = TupUpgradeMethod::umSelfUpgrade;
    TupStringList FFiles;
    std::size_t FFileIndex = 0;
    std::u16string FTargetFile;
    TDateTime FFileTime = 0;
    // The event a check-only caller waits on: valid while it waits, set once the check has
    // an outcome.
    std::shared_ptr<bool> FDoneEvent;
    bool FRestarting = false;
};

}  // namespace quendra
