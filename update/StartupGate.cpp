#include "update/StartupGate.h"

#include <cstdio>
#include <filesystem>

#include "update/UrlListFile.h"
#include "util/Unicode.h"

namespace quendra {
namespace {

constexpr auto kPauseBetweenOpens = std::chrono::milliseconds(200);

std::string Bool(bool value) {
    return value ? "true" : "false";
}

std::string Number(long long value) {
    return std::to_string(value);
}

std::string List(const TupStringList& list) {
    std::string text = "[";
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i != 0)
            text += '|';
        text += TraceText(list[i]);
    }
    return text + "]";
}

}  // namespace

std::string TraceText(std::u16string_view text) {
    std::string escaped;
    for (const char c : Utf16ToUtf8(text)) {
        switch (c) {
            case '\r':
                escaped += "\\r";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\\':
                escaped += "\\\\";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string TraceDate(TDateTime date) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", date);
    return text;
}

void ApplyStartupCheckSettings(TupAutoUpdater& updater) {
    updater.CacheOptions = {
        TupCacheOption::coAlwaysReload,         TupCacheOption::coReloadIfNoExpireInformation,
        TupCacheOption::coReloadUpdatedObjects, TupCacheOption::coPragmaNoCache,
        TupCacheOption::coNoCacheWrite,         TupCacheOption::coCreateTempFilesIfCantCache};
    updater.VersionControl = TupAutoUpdaterVersionControl::byNumber;
    updater.VersionDate = u"04/28/2008";
    updater.VersionDateAutoSet = false;
    updater.ShowMessages = {};
    updater.Wizard.Enabled = false;
}

std::u16string InfoFileAddress(const HostAddress& updateHost) {
    return u"http://" + Utf8ToUtf16(HostFieldValue(updateHost)) + u"/update-qndr.php";
}

bool UpdateCheckEnabled() {
    return QUENDRA_UPDATE_CHECK != 0;
}

StartupGate::StartupGate(TupAutoUpdater& updater, StartupGateActions actions,
                         StartupCheckLimits limits)
    : updater_(updater), actions_(std::move(actions)), limits_(limits) {
    Bind();
}

void StartupGate::Start(const std::u16string& programVersion, const std::u16string& infoFileURL) {
    if (!UpdateCheckEnabled()) {
        Populate();
        return;
    }
    lock_ = updater_.Platform().TryLockFile(updater_.Folders().CheckLockFile);
    if (!lock_) {
        Populate();
        return;
    }
    updater_.Timeouts.ConnectTimeout = limits_.connect;
    updater_.TransferTimeLimit = limits_.infoTransfer;
    updater_.VersionNumber = programVersion;
    updater_.InfoFileURL = infoFileURL;
    updater_.CheckUpdate(false);
}

void StartupGate::Trace(const std::string& line) const {
    if (actions_.trace)
        actions_.trace(line);
}

void StartupGate::Populate() {
    if (decided_)
        return;
    decided_ = true;
    if (actions_.populate)
        actions_.populate();
}

void StartupGate::upAutoUpdaterBeginUpgrade(TupAutoUpdater&, const std::u16string& UpgradeMsg,
                                            TupUpgradeMethod UpgradeMethod, TupStringList& Files,
                                            bool& CanUpgrade) {
    CanUpgrade = true;
    // The listed files come next, each under the file limits.
    updater_.TransferTimeLimit = limits_.fileTransfer;
    updater_.MaxBodySize = limits_.fileSize;
    Trace("OnBeginUpgrade UpgradeMsg=" + TraceText(UpgradeMsg) +
          " UpgradeMethod=" + Number(static_cast<int>(UpgradeMethod)) + " Files=" + List(Files) +
          " CanUpgrade=" + Bool(CanUpgrade));
}

void StartupGate::upAutoUpdaterFileStart(TupAutoUpdater&, const std::u16string& FileURL,
                                         std::int32_t FileSize, TDateTime FileTime,
                                         bool& CanUpgrade) {
    CanUpgrade = IsUrlListAddress(FileURL);
    Trace("OnFileStart FileURL=" + TraceText(FileURL) + " FileSize=" + Number(FileSize) +
          " FileTime=" + TraceDate(FileTime) + " CanUpgrade=" + Bool(CanUpgrade));
}

void StartupGate::upAutoUpdaterFileDone(TupAutoUpdater&, const std::u16string& FileName) {
    Trace("OnFileDone FileName=" + TraceText(FileName));
    FileDone(FileName);
}

void StartupGate::upAutoUpdaterEndUpgrade(TupAutoUpdater&, bool& RestartImediately) {
    RestartImediately = false;
    Trace("OnEndUpgrade RestartImediately=" + Bool(RestartImediately));
}

void StartupGate::upAutoUpdaterHostUnreachable(TupAutoUpdater&, const std::u16string& URL,
                                               const std::u16string& Hostname) {
    Trace("OnHostUnreachable URL=" + TraceText(URL) + " Hostname=" + TraceText(Hostname));
    Populate();
}

void StartupGate::upAutoUpdaterNoInfoFile(TupAutoUpdater&) {
    Trace("OnNoInfoFile");
    Populate();
}

void StartupGate::upAutoUpdaterNoUpdateAvailable(TupAutoUpdater&) {
    Trace("OnNoUpdateAvailable");
    Populate();
}

void StartupGate::Bind() {
    TupAutoUpdater& u = updater_;
    u.OnBeginUpgrade = std::bind_front(&StartupGate::upAutoUpdaterBeginUpgrade, this);
    u.OnFileStart = std::bind_front(&StartupGate::upAutoUpdaterFileStart, this);
    u.OnFileDone = std::bind_front(&StartupGate::upAutoUpdaterFileDone, this);
    u.OnEndUpgrade = std::bind_front(&StartupGate::upAutoUpdaterEndUpgrade, this);
    u.OnHostUnreachable = std::bind_front(&StartupGate::upAutoUpdaterHostUnreachable, this);
    u.OnNoInfoFile = std::bind_front(&StartupGate::upAutoUpdaterNoInfoFile, this);
    u.OnNoUpdateAvailable = std::bind_front(&StartupGate::upAutoUpdaterNoUpdateAvailable, this);
    // Outcomes that raise none of the events above end with the component at rest.
    u.OnSessionAtRest = [this](TupAutoUpdater&) { Populate(); };
    if (!actions_.trace)
        return;

    // The window binds no other event; tracing sees every one.
    u.OnLaterUpgrade = [this](TupAutoUpdater&) { Trace("OnLaterUpgrade"); };
    u.OnDoOwnCloseAppMethod = [this](TupAutoUpdater&) { Trace("OnDoOwnCloseAppMethod"); };
    u.OnAfterRestart = [this](TupAutoUpdater&) { Trace("OnAfterRestart"); };
    u.OnAborted = [this](TupAutoUpdater&) { Trace("OnAborted"); };
    u.OnConnLost = [this](TupAutoUpdater&) { Trace("OnConnLost"); };
    u.OnLostFile = [this](TupAutoUpdater&, const std::u16string& url, std::int32_t code,
                          bool& continueUpgrade) {
        Trace("OnLostFile FileURL=" + TraceText(url) + " ErrorCode=" + Number(code) +
              " ContinueUpgrade=" + Bool(continueUpgrade));
    };
    u.OnPasswordRequest = [this](TupAutoUpdater&, const std::u16string& realm, bool& tryAgain) {
        Trace("OnPasswordRequest Realm=" + TraceText(realm) + " TryAgain=" + Bool(tryAgain));
    };
}

void StartupGate::FileDone(const std::u16string& fileName) {
    if (!IsUrlListFile(fileName))
        return;
    const auto lines = ReadUrlListFile(fileName);
    if (!lines)
        return;  // the session goes on; once at rest, the window is populated
    decided_ = true;
    for (const auto& address : UrlListAddresses(*lines)) {
        if (actions_.open)
            actions_.open(address);
        if (actions_.pause)
            actions_.pause(kPauseBetweenOpens);
    }
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(Utf16ToUtf8(fileName)), ignored);
    updater_.AbortUpgrade(true);
    if (actions_.message)
        actions_.message(std::u16string(kUpdateMessage));
    if (actions_.end)
        actions_.end();
}

}  // namespace quendra
