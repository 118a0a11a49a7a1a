// The program's start-up update check (quendra-probe --check-update) against the running
// service: a newer release opens the service's URL list, the current one starts the window.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/CheckUpdate.h"
#include "tests/fakes/TempFolder.h"
#include "tests/service/ServiceFixture.h"
#include "update/StartupGate.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;

std::vector<std::string> Check(const RunningService& service, const std::u16string& version) {
    const TempFolder folder("quendra-check");
    TupAutoUpdater::Environment environment;
    UpdateFolders& f = environment.folders;
    f.AppFolder = f.DownloadFolder = f.TempFolder = f.Desktop = f.Documents = f.Pictures =
        f.AppData = Utf8ToUtf16(folder.path().string() + "/");
    f.ExeName = f.AppFolder + u"quendra";
    f.CheckLockFile = f.AppFolder + u"update.lock";
    std::ostringstream out;
    EXPECT_EQ(RunCheckUpdate(out, version, InfoFileAddress(service.address()), environment), 0);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("OnFileStart") && !line.starts_with("OnFileDone"))
            lines.push_back(line);
    }
    return lines;
}

TEST(CheckUpdateAgainstService, NewerReleaseOpensTheServedListAndCurrentOneStartsTheWindow) {
    RunningService service(TestCatalogue(), R"({"version": "1.10.0.0", "message": "New",
        "urlList": ["http://www.q.example/download", "http://www.q.example/changes"]})");
    const std::string list = "http://" + HostFieldValue(service.address()) + "/files/urls-qndr.txt";
    EXPECT_EQ(
        Check(service, u"1.9.0.0"),
        (std::vector<std::string>{
            "OnBeginUpgrade UpgradeMsg=New UpgradeMethod=0 Files=[" + list + "] CanUpgrade=true",
            "OPEN http://www.q.example/changes", "OPEN http://www.q.example/download", "OnAborted",
            "MESSAGE Please update with the latest version.",
            "OnEndUpgrade RestartImediately=false"}));
    EXPECT_EQ(Check(service, u"1.10.0.0"),
              (std::vector<std::string>{"OnNoUpdateAvailable", "POPULATE"}));
}

}  // namespace
