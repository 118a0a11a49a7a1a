// The update session against a scripted update service on 127.0.0.1: the outcomes the
// start-up gate does not show (check only, later, redirect, local paths, size comparison,
// progress totals), the automatic check's timer, and a restart through the updater.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "tests/fakes/UpdateService.h"
#include "update/HandOff.h"
#include "update/upAutoUpdater.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The system's platform, except that pages opened, programs started and the online state are
// the test's.
class TestPlatform final : public UpdaterPlatform {
public:
    void OpenWebPage(const std::u16string& address) const override {
        opened.push_back(Utf16ToUtf8(address));
    }
    bool SetFileTime(const std::u16string& path, TDateTime moment) const override {
        return SystemUpdaterPlatform().SetFileTime(path, moment);
    }
    bool StartProgram(const std::vector<std::u16string>& arguments, bool) const override {
        started.push_back(arguments);
        // The updater must not wait for the test to end.
        return startForReal && SystemUpdaterPlatform().StartProgram(arguments, false);
    }
    bool IsOnline() const override { return online; }
    std::shared_ptr<void> TryLockFile(const std::u16string& path) const override {
        return SystemUpdaterPlatform().TryLockFile(path);
    }

    mutable std::vector<std::string> opened;
    mutable std::vector<std::vector<std::u16string>> started;
    bool startForReal = false;
    bool online = true;
};

class UpdateSessionTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quendra-session-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        for (const char* sub : {"app", "tmp", "home"})
            fs::create_directory(root_ / sub);
    }
    void TearDown() override {
        updater_.reset();
        EXPECT_TRUE(WaitForWorkerThreads(10s));
        fs::remove_all(root_);
    }

    std::string Folder(const char* sub) const { return (root_ / sub).string() + "/"; }

    TupAutoUpdater& Make() {
        TupAutoUpdater::Environment environment;
        UpdateFolders& f = environment.folders;
        f.AppFolder = f.DownloadFolder = Utf8ToUtf16(Folder("app"));
        f.ExeName = f.AppFolder + u"quendra";
        f.TempFolder = Utf8ToUtf16(Folder("tmp"));
        f.Desktop = f.Documents = f.Pictures = f.AppData = Utf8ToUtf16(Folder("home"));
        environment.platform = &platform_;
        updater_ = std::make_unique<TupAutoUpdater>(environment);
        TupAutoUpdater& u = *updater_;
        u.VersionControl = TupAutoUpdaterVersionControl::byNumber;
        u.VersionNumber = u"1.0.0.0";
        u.ShowMessages = {};
        u.Wizard.Enabled = false;
        u.OnSessionAtRest = [this](TupAutoUpdater&) { atRest_ = true; };
        u.OnBeginUpgrade = [this](TupAutoUpdater&, const std::u16string&, TupUpgradeMethod method,
                                  TupStringList& files, bool& can) {
            Record("OnBeginUpgrade " + std::to_string(static_cast<int>(method)) + " " +
                   std::to_string(files.size()));
            can = grant_;
        };
        u.OnFileStart = [this](TupAutoUpdater&, const std::u16string& url, std::int32_t size,
                               TDateTime, bool& can) {
            Record("OnFileStart " + Utf16ToUtf8(url.substr(url.rfind(u'/') + 1)) + " " +
                   std::to_string(size) + " " + (can ? "true" : "false"));
        };
        u.OnFileDone = [this](TupAutoUpdater&, const std::u16string& name) {
            Record("OnFileDone " + Utf16ToUtf8(name));
        };
        u.OnEndUpgrade = [this](TupAutoUpdater&, bool& restart) {
            Record("OnEndUpgrade");
            restart = restart_;
        };
        u.OnLaterUpgrade = [this](TupAutoUpdater&) { Record("OnLaterUpgrade"); };
        u.OnNoUpdateAvailable = [this](TupAutoUpdater&) { Record("OnNoUpdateAvailable"); };
        u.OnLostFile = [this](TupAutoUpdater&, const std::u16string&, std::int32_t code, bool&) {
            Record("OnLostFile " + std::to_string(code));
        };
        u.OnAborted = [this](TupAutoUpdater&) { Record("OnAborted"); };
        u.OnProgress = [this](TupAutoUpdater&, const std::u16string&, std::int32_t, std::int32_t,
                              std::int32_t, std::int32_t, std::uint8_t, std::uint8_t total,
                              float) { totals_.push_back(total); };
        return u;
    }

    void Record(std::string line) { events_.push_back(std::move(line)); }

    // Runs a check (not check-only) until the session is at rest.
    Lines Run(const UpdateService& service) {
        updater_->InfoFileURL = Utf8ToUtf16(service.Base() + "/update-qndr.php");
        atRest_ = false;
        updater_->CheckUpdate(false);
        EXPECT_TRUE(RunUiLoopUntil([&] { return atRest_; }, 20s));
        return events_;
    }

    fs::path root_;
    TestPlatform platform_;
    std::unique_ptr<TupAutoUpdater> updater_;
    Lines events_;
    std::vector<int> totals_;
    bool atRest_ = false;
    bool grant_ = true;
    bool restart_ = false;
};

TEST_F(UpdateSessionTest, CheckOnlyWaitsAndTakesNoUpgradeStep) {
    UpdateService service({{"/update-qndr.php",
                            UpdateService::Info("2.0.0.0", "#url={base}/urls-qndr.txt\r\n")}});
    TupAutoUpdater& u = Make();
    u.InfoFileURL = Utf8ToUtf16(service.Base() + "/update-qndr.php");
    EXPECT_TRUE(u.CheckUpdate(true));
    EXPECT_EQ(events_, (Lines{"OnBeginUpgrade 0 1"}));
    EXPECT_EQ(service.Requests().size(), 1u);

    // A handler that clears CanUpgrade clears the check's result too.
    const std::u16string url = u.InfoFileURL;
    TupAutoUpdater& again = Make();
    again.InfoFileURL = url;
    grant_ = false;
    EXPECT_FALSE(again.CheckUpdate(true));
}

TEST_F(UpdateSessionTest, DeclinedUpgradeIsLaterAndARedirectOpensTheFirstEntry) {
    UpdateService later({{"/update-qndr.php", UpdateService::Info("2.0.0.0", "#url={base}/a\r\n")}});
    Make();
    grant_ = false;
    EXPECT_EQ(Run(later), (Lines{"OnBeginUpgrade 0 1", "OnLaterUpgrade"}));
    EXPECT_EQ(later.Requests().size(), 1u);

    UpdateService redirect({{"/update-qndr.php",
                             UpdateService::Info("2.0.0.0", "#url=www.example.com/x\r\n",
                                                 "#method=2\r\n")}});
    Make();
    grant_ = true;
    events_.clear();
    EXPECT_EQ(Run(redirect), (Lines{"OnBeginUpgrade 2 1"}));
    EXPECT_EQ(platform_.opened, (std::vector<std::string>{"http://www.example.com/x"}));
}

TEST_F(UpdateSessionTest, LocalPathsMacrosAndRefusedPaths) {
    UpdateService service({
        {"/update-qndr.php",
         UpdateService::Info("2.0.0.0", "#url={base}/one.txt=%TEMP%one.txt\r\n"
                                        "#url2={base}/two.txt=../../../etc/two.txt\r\n"
                                        "#url3={base}/three.txt\r\n")},
        {"/one.txt", UpdateService::Text("1")},
        {"/two.txt", UpdateService::Text("2")},
        {"/three.txt", UpdateService::Text("3")},
    });
    TupAutoUpdater& u = Make();
    Run(service);
    EXPECT_EQ(events_, (Lines{"OnBeginUpgrade 0 3", "OnFileStart one.txt 1 true",
                              "OnFileDone " + Folder("tmp") + "one.txt.uTMP",
                              "OnFileStart two.txt 1 true",
                              "OnFileDone " + Folder("app") + "two.txt.uTMP",
                              "OnFileStart three.txt 1 true",
                              "OnFileDone " + Folder("app") + "three.txt.uTMP", "OnEndUpgrade"}));
    // The entry's value became the expanded path; the refused one lost its path.
    EXPECT_EQ(Utf16ToUtf8(u.Files()[0]), service.Base() + "/one.txt=" + Folder("tmp") + "one.txt");
    EXPECT_EQ(Utf16ToUtf8(u.Files()[1]), service.Base() + "/two.txt");
    EXPECT_FALSE(fs::exists(root_.parent_path().parent_path() / "etc/two.txt.uTMP"));
    // Three files of one list each add a third to the total.
    ASSERT_FALSE(totals_.empty());
    EXPECT_EQ(totals_.back(), 100 / 3 + 67);
}

TEST_F(UpdateSessionTest, SizeComparisonSkipsFilesThatAreAlreadyThere) {
    std::ofstream(Folder("app") + "same.bin") << "12345";
    std::ofstream(Folder("app") + "quendra") << "12345";
    UpdateService service({
        {"/update-qndr.php",
         UpdateService::Info("2.0.0.0", "#url={base}/same.bin\r\n#url2={base}/quendra\r\n")},
        {"/same.bin", UpdateService::Text("abcde")},
        {"/quendra", UpdateService::Text("abcde")},
    });
    TupAutoUpdater& u = Make();
    u.MiscFilesUpgrade = TupMiscFilesUpgradeBehavior::mfuOnlyIfSizeDifferent;
    Run(service);
    EXPECT_EQ(events_[1], "OnFileStart same.bin 5 false");
    EXPECT_EQ(events_[2], "OnFileStart quendra 5 true");  // the program itself always
}

TEST_F(UpdateSessionTest, LostFileAbortsAndDeletesTheDownloads) {
    UpdateService service({
        {"/update-qndr.php",
         UpdateService::Info("2.0.0.0", "#url={base}/a.txt\r\n#url2={base}/gone.txt\r\n")},
        {"/a.txt", UpdateService::Text("a")},
    });
    Make();
    EXPECT_EQ(Run(service),
              (Lines{"OnBeginUpgrade 0 2", "OnFileStart a.txt 1 true",
                     "OnFileDone " + Folder("app") + "a.txt.uTMP", "OnFileStart gone.txt 7 true",
                     "OnLostFile 404", "OnAborted"}));
    for (const auto& entry : fs::directory_iterator(root_ / "app"))
        ADD_FAILURE() << "left behind: " << entry.path();
}

TEST_F(UpdateSessionTest, AutomaticCheckTimer) {
    UpdateService service({{"/update-qndr.php", UpdateService::Info("1.0.0.0", "")}});
    TupAutoUpdater& u = Make();
    u.InfoFileURL = Utf8ToUtf16(service.Base() + "/update-qndr.php");

    u.AutoCheckDelay = 0;  // no timer is armed
    u.SetAutoCheck(true);
    ServeEventsFor(200ms);
    EXPECT_TRUE(service.Requests().empty());

    platform_.online = false;  // the timer keeps firing, and no check starts
    u.AutoCheckDelay = 50;
    u.UpdateAutoCheckTimer();
    ServeEventsFor(400ms);
    EXPECT_TRUE(service.Requests().empty());

    platform_.online = true;  // online: one check, then the timer is done
    ASSERT_TRUE(RunUiLoopUntil([&] { return !events_.empty(); }, 10s));
    ServeEventsFor(300ms);
    EXPECT_EQ(events_, (Lines{"OnNoUpdateAvailable"}));
    EXPECT_EQ(service.Requests().size(), 1u);
}

TEST_F(UpdateSessionTest, RestartThroughTheUpdaterReplacesTheFileAndStartsTheProgram) {
    const std::string program = "#!/bin/sh\necho \"$*\" > \"$(dirname \"$0\")/started.txt\"\n";
    std::ofstream(Folder("app") + "quendra") << "#!/bin/sh\nexit 0\n";
    fs::permissions(Folder("app") + "quendra", fs::perms::owner_all);
    UpdateService service({{"/update-qndr.php", UpdateService::Info("2.0.0.0", "#url={base}/quendra\r\n")},
                           {"/quendra", UpdateService::Text(program)}});
    std::ifstream updaterFile(QUENDRA_UPDATER_PROGRAM, std::ios::binary);
    const std::string updaterBytes((std::istreambuf_iterator<char>(updaterFile)),
                                   std::istreambuf_iterator<char>());

    TupAutoUpdater::Environment environment;
    UpdateFolders& f = environment.folders;
    f.AppFolder = f.DownloadFolder = Utf8ToUtf16(Folder("app"));
    f.ExeName = f.AppFolder + u"quendra";
    f.TempFolder = Utf8ToUtf16(Folder("tmp"));
    environment.platform = &platform_;
    environment.updaterProgram = std::as_bytes(std::span(updaterBytes.data(), updaterBytes.size()));
    bool closed = false;
    environment.closeApplication = [&] { closed = true; };
    platform_.startForReal = true;
    TupAutoUpdater u(environment);
    u.VersionControl = TupAutoUpdaterVersionControl::byNumber;
    u.VersionNumber = u"1.0.0.0";
    u.ShowMessages = {};
    u.Wizard.Enabled = false;
    u.InfoFileURL = Utf8ToUtf16(service.Base() + "/update-qndr.php");
    u.CheckUpdate(false);
    ASSERT_TRUE(RunUiLoopUntil([&] { return closed; }, 20s));

    ASSERT_EQ(platform_.started.size(), 1u);
    EXPECT_EQ(platform_.started[0],
              (std::vector<std::u16string>{f.TempFolder + u"QndrUpdater.exe", f.ExeName,
                                           u"+/afterupgrade0"}));
    const fs::path started = root_ / "app/started.txt";
    for (int i = 0; i < 500 && !fs::exists(started); ++i)
        std::this_thread::sleep_for(20ms);
    std::ifstream startedFile(started);
    std::string arguments;
    std::getline(startedFile, arguments);
    EXPECT_EQ(arguments, "/afterupgrade0");
    EXPECT_EQ(fs::status(Folder("app") + "quendra").permissions(), fs::perms::owner_all);
}

TEST_F(UpdateSessionTest, AfterRestartEventNeedsTheExactParameter) {
    TupAutoUpdater& u = Make();
    int raised = 0;
    u.OnAfterRestart = [&](TupAutoUpdater&) { ++raised; };
    u.Loaded(u"/AFTERUPGRADE");
    u.Loaded(u"");
    EXPECT_EQ(raised, 0);
    u.Loaded(u"/afterupgrade");
    EXPECT_EQ(raised, 1);
    u.SetRestartParams(u"");
    EXPECT_EQ(u.RestartParams(), u" ");
}

}  // namespace
