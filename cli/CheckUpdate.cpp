#include "cli/CheckUpdate.h"

#include <chrono>
#include <iostream>

#include "net/HostAddress.h"
#include "update/HandOff.h"
#include "update/StartupGate.h"
#include "util/ProgramFiles.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

namespace quendra {
namespace {

// Every transfer of the check has its own limits; this only bounds a check that would never
// come to rest.
constexpr auto kLongestCheck = std::chrono::minutes(5);

// Nothing is opened or started, the component's own opening of a web page (an update
// delivered by redirect) included.
class PrintingPlatform final : public UpdaterPlatform {
public:
    explicit PrintingPlatform(const UpdaterPlatform& system) : system_(system) {}
    void OpenWebPage(const std::u16string&) const override {}
    bool StartProgram(const std::vector<std::u16string>&, bool) const override { return false; }
    bool IsOnline() const override { return system_.IsOnline(); }
    std::shared_ptr<void> TryLockFile(const std::u16string& path) const override {
        return system_.TryLockFile(path);
    }
    bool SetFileTime(const std::u16string& path, TDateTime moment) const override {
        return system_.SetFileTime(path, moment);
    }

private:
    const UpdaterPlatform& system_;
};

}  // namespace

int RunCheckUpdate(std::ostream& out) {
    if (!UpdateCheckEnabled()) {
        out << "The update check is switched off in this build.\n";
        return 0;
    }
    return RunCheckUpdate(out, GetModuleVersionString(ProgramFilePath()),
                          InfoFileAddress(UpdateHost()), {});
}

int RunCheckUpdate(std::ostream& out, const std::u16string& programVersion,
                   const std::u16string& infoFileURL, TupAutoUpdater::Environment environment) {
    const PrintingPlatform platform(*environment.platform);
    environment.platform = &platform;
    bool finished = false;
    const auto print = [&out](const std::string& line) { out << line << '\n' << std::flush; };

    {
        TupAutoUpdater updater(std::move(environment));
        ApplyStartupCheckSettings(updater);
        StartupGateActions actions;
        actions.populate = [&] {
            print("POPULATE");
            finished = true;
        };
        actions.open = [&](const std::u16string& address) {
            print("OPEN " + Utf16ToUtf8(address));
        };
        actions.message = [&](const std::u16string& text) {
            print("MESSAGE " + Utf16ToUtf8(text));
        };
        actions.end = [&] { finished = true; };
        actions.trace = print;
        StartupGate gate(updater, actions);
        gate.Start(programVersion, infoFileURL);
        if (!RunUiLoopUntil([&] { return finished; },
                            std::chrono::duration_cast<std::chrono::milliseconds>(kLongestCheck))) {
            std::cerr << "quendra-probe: the update check did not come to rest within 5 minutes\n";
            return 1;
        }
        if (const std::string why = updater.ErrorText(); !why.empty())
            std::cerr << "quendra-probe: " << why << '\n';
    }
    WaitForWorkerThreads(std::chrono::seconds(2));
    return 0;
}

}  // namespace quendra
