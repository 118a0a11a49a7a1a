#include "update/upAutoUpdater.h"

#include <cmath>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "update/HandOff.h"
#include "update/UrlParts.h"
#include "util/TextRules.h"
#include "util/Unicode.h"

namespace quendra {
namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kTempSuffix = u".uTMP";

fs::path ToPath(std::u16string_view text) {
    return fs::path(Utf16ToUtf8(text));
}

std::u16string HostOf(std::u16string_view url) {
    std::string address = Utf16ToUtf8(url);
    if (address.find("://") == std::string::npos)
        address = "http://" + address;
    const auto parts = CrackUrl(address);
    return parts ? Utf8ToUtf16(parts->host) : std::u16string();
}

std::u16string FileNamePart(std::u16string_view path) {
    const auto slash = path.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

// Round to the nearest integer, halves to the even neighbour.
long long RoundHalfEven(double value) {
    return static_cast<long long>(std::nearbyint(value));
}

}  // namespace

TupAutoUpdater::TupAutoUpdater() : TupAutoUpdater(Environment{}) {}

TupAutoUpdater::TupAutoUpdater(Environment environment) : environment_(std::move(environment)) {
    OutputFileAttributes.Incomplete = {TupFileAttribute::atrHidden, TupFileAttribute::atrTemporary};
    OutputFileAttributes.Complete = {TupFileAttribute::atrArchive, TupFileAttribute::atrHidden,
                                     TupFileAttribute::atrTemporary};
    // A restart through the updater leaves its program behind in the temporary folder.
    std::error_code ignored;
    fs::remove(ToPath(UpdaterPath()), ignored);
    VersionDate = InfoDateToStr(Today());
    BindEngine();
}

TupAutoUpdater::~TupAutoUpdater() {
    autoCheck_ = false;
    timer_.Stop();
}

void TupAutoUpdater::SetAutoCheck(bool autoCheck) {
    autoCheck_ = autoCheck;
    UpdateAutoCheckTimer();
}

void TupAutoUpdater::UpdateAutoCheckTimer() {
    timer_.Stop();
    if (!autoCheck_ || FTimerFired || AutoCheckDelay <= 0)
        return;
    try {
        timer_.Start(std::chrono::milliseconds(AutoCheckDelay), [this] { TimerFired(); });
    } catch (const std::system_error&) {
        throw std::runtime_error("Not enough timers available");
    }
}

void TupAutoUpdater::TimerFired() {
    // While the machine is offline the timer keeps firing at its interval.
    if (!IsOnline() || !autoCheck_)
        return;
    FTimerFired = true;
    UpdateAutoCheckTimer();
    CheckUpdate(false);
    FAutoStarted = true;
}

void TupAutoUpdater::Loaded(std::u16string_view firstParameter) {
    if (OnAfterRestart && firstParameter == restartParams_)
        OnAfterRestart(*this);
}

void TupAutoUpdater::SetRestartParams(std::u16string params) {
    restartParams_ = params.empty() ? u" " : std::move(params);
}

std::u16string TupAutoUpdater::UpdaterPath() const {
    return environment_.folders.TempFolder + u"QndrUpdater.exe";
}

std::u16string TupAutoUpdater::QueueFile() const {
    return environment_.folders.TempFolder + u"UpdaterQueue.txt";
}

UpdaterPrompts& TupAutoUpdater::Prompts() {
    return environment_.prompts != nullptr ? *environment_.prompts : defaultPrompts_;
}

void TupAutoUpdater::BindEngine() {
    OnHTTPDone = [this](TupCustomHTTP&, const std::string&, std::uint32_t,
                        const std::string* memory) {
        if (FInfoFileMode) {
            InfoFileArrived(memory != nullptr ? *memory : std::string());
        } else {
            FileArrived();
        }
    };
    OnHTTPHeaderInfo = [this](TupCustomHTTP&, const TupHTTPHeaderInfo& info, bool& Continue) {
        if (!FInfoFileMode)
            HeaderArrived(info, Continue);
    };
    OnHTTPDeclined = [this](TupCustomHTTP&) {
        if (!FInfoFileMode)
            DownloadNextFile(false);
    };
    OnHTTPProgress = [this](TupCustomHTTP&, const TupHTTPProgress& progress, const std::string*) {
        if (!FInfoFileMode)
            Progress(progress);
    };
    OnHTTPConnectionLost = [this](TupCustomHTTP&, const std::string&, std::uint32_t, std::uint32_t,
                                  const std::string*) { ConnectionLost(); };
    OnHTTPHostUnreachable = [this](TupCustomHTTP&) { HostUnreachable(); };
    OnHTTPError = [this](TupCustomHTTP&, int status, const std::string*) { Error(status); };
    OnHTTPPasswordRequest = [this](TupCustomHTTP&, const std::u16string& realm, bool& tryAgain) {
        PasswordRequest(realm, tryAgain);
    };
}

bool TupAutoUpdater::CheckUpdate(bool CheckOnly) {
    if (CheckOnly)
        FCheckOnly = true;
    FAborted = false;
    FAutoStarted = false;
    try {
        if (!IsBusy()) {
            FInfoFileMode = true;
            TupCustomHTTP::CacheOptions = CacheOptions.With(TupCacheOption::coPragmaNoCache);
            URL = InfoFileURL;
            FileName.clear();
            StartTransfer(0, 0, false);
        }
        if (CheckOnly) {
            auto done = std::make_shared<bool>(false);
            FDoneEvent = done;
            if (const auto handOff = detail::HandOff::Acquire()) {
                handOff->ServeUntil([&] { return *done; }, std::nullopt, false, true);
            }
            FDoneEvent.reset();
        }
    } catch (const std::exception&) {
        // No outcome of a check reaches its caller as an exception.
    }
    FCheckOnly = false;
    return FUpdateFound;
}

void TupAutoUpdater::SetDone() {
    if (FDoneEvent)
        *FDoneEvent = true;
}

void TupAutoUpdater::AtRest() {
    if (OnSessionAtRest)
        OnSessionAtRest(*this);
}

void TupAutoUpdater::InfoFileArrived(const std::string& body) {
    InfoFileSettings settings;
    settings.VersionControl = VersionControl;
    settings.VersionNumber = VersionNumber;
    settings.VersionDate = VersionDate;
    settings.Today = Today();
    InfoFileContents contents = ParseInfoFile(body, settings);

    bool atRest = true;
    if (contents.Newer && !contents.Files.empty()) {
        FUpdateFound = true;
        FUpgradeMethod = contents.UpgradeMethod;
        FFiles = std::move(contents.Files);
        if (OnBeginUpgrade)
            OnBeginUpgrade(*this, contents.UpgradeMsg, FUpgradeMethod, FFiles, FUpdateFound);
        if (FCheckOnly) {
            // a check only announces
        } else if (!FUpdateFound || (Shows(TupAutoUpdaterShowMessage::mAskUpgrade) &&
                                     !Prompts().AskYesNo(contents.UpgradeMsg, u"Update"))) {
            if (OnLaterUpgrade)
                OnLaterUpgrade(*this);
        } else if (FUpgradeMethod == TupUpgradeMethod::umRedirectToURL) {
            std::u16string address = FFiles.empty() ? std::u16string() : FFiles.front();
            if (address.find(u"://") == std::u16string::npos)
                address = u"http://" + address;
            environment_.platform->OpenWebPage(address);
        } else {
            DownloadNextFile(true);
            atRest = false;
        }
    } else {
        if (OnNoUpdateAvailable)
            OnNoUpdateAvailable(*this);
        if (!FAutoStarted && Shows(TupAutoUpdaterShowMessage::mNoUpdateAvailable))
            Prompts().ShowInformation(u"No update is available.");
    }
    SetDone();
    if (atRest)
        AtRest();
}

void TupAutoUpdater::DownloadNextFile(bool First) {
    if (First) {
        FInfoFileMode = false;
        TupCustomHTTP::CacheOptions = CacheOptions;
        FFileIndex = 0;
        if (Wizard.Enabled)
            Prompts().OpenWizard();
    } else {
        ++FFileIndex;
    }

    if (FFileIndex < FFiles.size()) {
        std::u16string& entry = FFiles[FFileIndex];
        const auto eq = entry.find(u'=');
        const std::u16string url = entry.substr(0, eq);
        const std::u16string local =
            eq == std::u16string::npos ? std::u16string() : entry.substr(eq + 1);
        if (!local.empty()) {
            const auto bases = BaseFolders(environment_.folders);
            const auto contained =
                ContainedPath(ExpandPathMacros(local, true, environment_.folders), bases);
            if (contained) {
                ForceFolders(*contained, bases);
                entry = url + u"=" + *contained;
            } else {
                entry = url;  // a path outside the base folders is refused
            }
        }
        FTargetFile = LocalPathOf(FFileIndex) + std::u16string(kTempSuffix);
        URL = url;
        FileName = FTargetFile;
        ResetTransfer();
        StartTransfer(0, 0, false);
        return;
    }

    if (Wizard.Enabled && Prompts().WizardShown()) {
        Prompts().FinishWizard();
        if (FAborted)
            return;
    }
    FFilesReady = true;
    bool restart = true;
    if (OnEndUpgrade)
        OnEndUpgrade(*this, restart);
    if (restart) {
        RestartApplication({});
        return;
    }
    AtRest();
}

std::u16string TupAutoUpdater::LocalPathOf(std::size_t index) const {
    const std::u16string& entry = FFiles[index];
    const auto eq = entry.find(u'=');
    if (eq != std::u16string::npos && eq + 1 < entry.size())
        return entry.substr(eq + 1);
    return environment_.folders.DownloadFolder + FileNameFromURL(entry.substr(0, eq));
}

void TupAutoUpdater::HeaderArrived(const TupHTTPHeaderInfo& info, bool& Continue) {
    FFileTime = info.LastModified;
    bool canUpgrade = true;
    if (MiscFilesUpgrade == TupMiscFilesUpgradeBehavior::mfuOnlyIfSizeDifferent &&
        info.FileSize != 0 && FFiles.size() >= 2) {
        const std::u16string local = FTargetFile.substr(0, FTargetFile.size() - kTempSuffix.size());
        const bool isProgram = AsciiUpper(FileNamePart(local)) ==
                               AsciiUpper(FileNamePart(environment_.folders.ExeName));
        std::error_code error;
        const auto size = fs::file_size(ToPath(local), error);
        if (!isProgram && !error)
            canUpgrade = size != info.FileSize;
    }
    if (OnFileStart)
        OnFileStart(*this, URL, static_cast<std::int32_t>(info.FileSize), FFileTime, canUpgrade);
    Continue = canUpgrade;
}

void TupAutoUpdater::FileArrived() {
    if (FFileTime != 0)
        environment_.platform->SetFileTime(FTargetFile, FFileTime);
    if (OnFileDone)
        OnFileDone(*this, FTargetFile);
    DownloadNextFile(false);
}

void TupAutoUpdater::Progress(const TupHTTPProgress& progress) {
    if (!OnProgress)
        return;
    const std::size_t count = FFiles.size();
    std::uint8_t total = 0;
    if (count != 0) {
        total = static_cast<std::uint8_t>(
            progress.PercentsDone / count +
            RoundHalfEven(static_cast<double>(FFileIndex) * 100.0 / static_cast<double>(count)));
    }
    OnProgress(*this, URL, static_cast<std::int32_t>(progress.FileSize),
               static_cast<std::int32_t>(progress.BytesRead),
               static_cast<std::int32_t>(progress.ElapsedTime),
               static_cast<std::int32_t>(progress.EstimatedTimeLeft), progress.PercentsDone, total,
               progress.TransferRate);
}

void TupAutoUpdater::HostUnreachable() {
    const std::u16string host = HostOf(URL);
    if (OnHostUnreachable)
        OnHostUnreachable(*this, URL, host);
    if (FAutoStarted) {
        FTimerFired = false;
        UpdateAutoCheckTimer();
    } else if (Shows(TupAutoUpdaterShowMessage::mHostUnreachable)) {
        Prompts().ShowError(u"Cannot reach http://" + host);
    }
    StopTransfer(false);
    DiscardPartialFile();
    AtRest();
}

void TupAutoUpdater::Error(int status) {
    if (FInfoFileMode) {
        SetDone();
        if (OnNoInfoFile)
            OnNoInfoFile(*this);
        if (Shows(TupAutoUpdaterShowMessage::mNoInfoFile))
            Prompts().ShowError(u"The update information is not available.");
        AtRest();
        return;
    }
    bool continueUpgrade = false;
    if (OnLostFile)
        OnLostFile(*this, URL, status, continueUpgrade);
    if (Shows(TupAutoUpdaterShowMessage::mLostFile)) {
        continueUpgrade =
            Prompts().AskYesNo(u"The file " + URL + u" could not be downloaded. Continue?",
                               u"Error #" + Utf8ToUtf16(std::to_string(status)));
    }
    if (continueUpgrade) {
        DownloadNextFile(false);
    } else {
        AbortUpgrade(false);
    }
}

void TupAutoUpdater::ConnectionLost() {
    if (OnConnLost)
        OnConnLost(*this);
    if (Shows(TupAutoUpdaterShowMessage::mConnLost))
        Prompts().ShowError(u"The connection was lost.");
    StopTransfer(false);
    DiscardPartialFile();
    AtRest();
}

void TupAutoUpdater::PasswordRequest(const std::u16string& realm, bool& tryAgain) {
    if (OnPasswordRequest)
        OnPasswordRequest(*this, realm, tryAgain);
    if (!tryAgain && Shows(TupAutoUpdaterShowMessage::mPasswordRequest)) {
        tryAgain = Prompts().AskPassword(realm);
        if (!tryAgain)
            AbortUpgrade(false);
    }
}

void TupAutoUpdater::StopTransfer(bool Immediately) {
    SetDone();
    if (IsBusy())
        AbortTransfer(false, Immediately);
    if (Prompts().WizardShown())
        Prompts().CloseWizard();
}

void TupAutoUpdater::AbortUpgrade(bool Immediately) {
    FAborted = true;
    StopTransfer(Immediately);
    DeleteTempFiles();
    if (OnAborted)
        OnAborted(*this);
    AtRest();
}

void TupAutoUpdater::DeleteTempFiles() {
    std::vector<std::u16string> folders{environment_.folders.DownloadFolder};
    if (environment_.folders.AppFolder != environment_.folders.DownloadFolder)
        folders.push_back(environment_.folders.AppFolder);
    for (const auto& folder : folders) {
        if (folder.empty())
            continue;
        std::error_code error;
        for (fs::directory_iterator it(ToPath(folder), error), end; !error && it != end;
             it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.size() > kTempSuffix.size() && name.ends_with(".uTMP") &&
                it->is_regular_file(error)) {
                std::error_code ignored;
                fs::remove(it->path(), ignored);
            }
        }
    }
}

void TupAutoUpdater::DiscardPartialFile() {
    if (FInfoFileMode || FTargetFile.empty())
        return;  // the information file goes to memory
    std::error_code ignored;
    fs::remove(ToPath(FTargetFile), ignored);
}

void TupAutoUpdater::RestartApplication(std::u16string Params) {
    if (!FFilesReady)
        DeleteTempFiles();
    if (Params.empty())
        Params = restartParams_ + Utf8ToUtf16(std::to_string(static_cast<int>(FUpgradeMethod)));
    LaunchUpdater(Params);
}

void TupAutoUpdater::LaunchUpdater(const std::u16string& params) {
    // Results are not checked: the application closes in any case.
    const std::string updater = Utf16ToUtf8(UpdaterPath());
    {
        std::error_code ignored;
        fs::remove(updater, ignored);
        std::ofstream file(updater, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(environment_.updaterProgram.data()),
                   static_cast<std::streamsize>(environment_.updaterProgram.size()));
    }
    std::error_code ignored;
    fs::permissions(updater, fs::perms::owner_all, fs::perm_options::replace, ignored);

    // One line per file of the list: where it belongs, without ".uTMP".
    std::string queue;
    for (std::size_t i = 0; i < FFiles.size(); ++i)
        queue += Utf16ToUtf8(LocalPathOf(i)) + "\r\n";
    const std::string queueFile = Utf16ToUtf8(QueueFile());
    fs::remove(queueFile, ignored);
    if (!queue.empty()) {
        std::ofstream file(queueFile, std::ios::binary | std::ios::trunc);
        file << queue;
    }

    environment_.platform->StartProgram(
        {UpdaterPath(), environment_.folders.ExeName, u"+" + params}, true);
    FRestarting = true;
    if (OnDoOwnCloseAppMethod) {
        OnDoOwnCloseAppMethod(*this);
    } else if (environment_.closeApplication) {
        environment_.closeApplication();
    }
}

}  // namespace quendra
