#pragma once

// The window's side of the start-up update check, shared by the window and quendra-probe:
// it starts the check and decides what each outcome means. No update, no information file
// and an unreachable host let the program start normally (populate). An update delivers the
// URL list file: its addresses are opened, the user is told to update, and the program ends
// without its window ever shown. Only the URL list file is accepted; the component may never
// restart the program. Every other outcome (a lost connection, every file declined, a list
// under another local name, a redirect to a web page, a file that cannot be fetched, a list
// that cannot be read) ends with the component at rest and no decision: the program then
// starts normally too, so it never stays hidden with no way to end it.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "net/HostAddress.h"
#include "update/HandOff.h"
#include "update/upAutoUpdater.h"

namespace quendra {

inline constexpr std::u16string_view kUpdateMessage = u"Please update with the latest version.";

struct StartupGateActions {
    std::function<void()> populate;                      // fill and show the window
    std::function<void(const std::u16string&)> open;     // hand an address to the desktop
    std::function<void(const std::u16string&)> message;  // a message box; returns when closed
    std::function<void()> end;                           // close the window: the program ends
    std::function<void(std::chrono::milliseconds)> pause = ServeEventsFor;  // wait, serving events
    std::function<void(const std::string&)> trace;  // each event as a line (optional)
};

// How long the check may hold the hidden window: the information request must connect
// (name resolution included) within 5 s and be answered in full within 10 s; a listed file
// must arrive within 30 s and hold at most 1 MiB. Past them the check ends as an unreachable
// host or a lost connection, and the window appears. The longest the window can stay hidden
// is therefore 10 s for the information file plus 30 s for the URL list (a declined file ends
// at its header, well within the limits).
struct StartupCheckLimits {
    std::uint32_t connect = 5000;        // ms
    std::uint32_t infoTransfer = 10000;  // ms
    std::uint32_t fileTransfer = 30000;  // ms
    std::uint64_t fileSize = 1024 * 1024;
};

// Whether this build checks for updates at start (the CMake option QUENDRA_UPDATE_CHECK;
// distributions that update the program themselves switch it off).
bool UpdateCheckEnabled();

class StartupGate {
public:
    // Binds the handlers to every event of `updater` (the window acts on seven of them).
    StartupGate(TupAutoUpdater& updater, StartupGateActions actions,
                StartupCheckLimits limits = {});
    StartupGate(const StartupGate&) = delete;
    StartupGate& operator=(const StartupGate&) = delete;

    // Gives the component the program's version and the information address, and starts the
    // check without waiting for it. Populates at once instead when the build has no update
    // check, or when another check of this user runs (it holds the check's lock).
    void Start(const std::u16string& programVersion, const std::u16string& infoFileURL);

    // The window was populated, or the program ends.
    bool Decided() const { return decided_; }

    // The window's handlers of the component's events.
    void upAutoUpdaterBeginUpgrade(TupAutoUpdater& Sender, const std::u16string& UpgradeMsg,
                                   TupUpgradeMethod UpgradeMethod, TupStringList& Files,
                                   bool& CanUpgrade);
    void upAutoUpdaterFileStart(TupAutoUpdater& Sender, const std::u16string& FileURL,
                                std::int32_t FileSize, TDateTime FileTime, bool& CanUpgrade);
    void upAutoUpdaterFileDone(TupAutoUpdater& Sender, const std::u16string& FileName);
    void upAutoUpdaterEndUpgrade(TupAutoUpdater& Sender, bool& RestartImediately);
    void upAutoUpdaterHostUnreachable(TupAutoUpdater& Sender, const std::u16string& URL,
                                      const std::u16string& Hostname);
    void upAutoUpdaterNoInfoFile(TupAutoUpdater& Sender);
    void upAutoUpdaterNoUpdateAvailable(TupAutoUpdater& Sender);

private:
    void Bind();
    void Populate();
    void FileDone(const std::u16string& fileName);
    void Trace(const std::string& line) const;

    TupAutoUpdater& updater_;
    StartupGateActions actions_;
    StartupCheckLimits limits_;
    std::shared_ptr<void> lock_;
    bool decided_ = false;
};

// The component's settings as the window's form gives them: reload every time, no caching,
// version compared by number, no message of its own, no wizard.
void ApplyStartupCheckSettings(TupAutoUpdater& updater);

// "http://<update host>/update-qndr.php"; the host carries its port when it is not 80.
std::u16string InfoFileAddress(const HostAddress& updateHost);

// One event as a line: its name, then " Name=value" for each argument. Texts in UTF-8 with
// CR, LF, TAB and backslash written as \r \n \t \\; dates with six decimals.
std::string TraceText(std::u16string_view text);
std::string TraceDate(TDateTime date);

}  // namespace quendra
