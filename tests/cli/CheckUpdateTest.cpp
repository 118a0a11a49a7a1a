// quendra-probe --check-update end to end: the update session, its transfer engine and the
// start-up gate against a scripted update service on 127.0.0.1, in a folder of the test's own.

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/CheckUpdate.h"
#include "tests/cli/CheckFolders.h"
#include "tests/fakes/UpdateService.h"
#include "update/HTTPDate.h"
#include "update/StartupGate.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;

using Service = std::map<std::string, UpdateService::Answer>;
using S = UpdateService;

class CheckUpdateTest : public testing::Test {
protected:
    TupAutoUpdater::Environment Environment() const { return folders_.Environment(); }

    // Runs the check against `service`; returns the output lines.
    std::vector<std::string> Check(const Service& service, const std::string& version = "1.0.0.0") {
        UpdateService server(service);
        base_ = server.Base();
        const auto lines = Run(version, base_ + "/update-qndr.php");
        requests_ = server.Requests();
        return lines;
    }

    std::vector<std::string> Run(const std::string& version, const std::string& infoUrl) {
        std::ostringstream out;
        EXPECT_EQ(RunCheckUpdate(out, Utf8ToUtf16(version), Utf8ToUtf16(infoUrl), Environment()),
                  0);
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    std::string App() const { return folders_.App(); }
    std::vector<std::string> LeftInApp() const { return folders_.LeftIn("app"); }

    CheckFolders folders_;
    std::string base_;
    std::vector<RecordedRequest> requests_;
};

using Lines = std::vector<std::string>;

TEST_F(CheckUpdateTest, NoUpdateStartsTheWindow) {
    EXPECT_EQ(Check({}), (Lines{"OnNoInfoFile", "POPULATE"}));

    const Service current{
        {"/update-qndr.php", S::Info("1.0.0.0", "#url={base}/urls-qndr.txt\r\n")}};
    EXPECT_EQ(Check(current), (Lines{"OnNoUpdateAvailable", "POPULATE"}));
    // The request says nothing about the program: one GET of the address.
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].RequestLine(), "GET /update-qndr.php HTTP/1.1");
    EXPECT_TRUE(requests_[0].body.empty());

    EXPECT_EQ(Check(current, "1.0.0.1"), (Lines{"OnNoUpdateAvailable", "POPULATE"}));  // older
    const Service withoutFiles{{"/update-qndr.php", S::Info("9.0.0.0", "")}};
    EXPECT_EQ(Check(withoutFiles), (Lines{"OnNoUpdateAvailable", "POPULATE"}));
}

TEST_F(CheckUpdateTest, UnreachableHostStartsTheWindow) {
    const std::string base = "http://127.0.0.1:" + std::to_string(FreePort());
    EXPECT_EQ(Run("1.0.0.0", base + "/update-qndr.php"),
              (Lines{"OnHostUnreachable URL=" + base + "/update-qndr.php Hostname=127.0.0.1",
                     "POPULATE"}));
}

TEST_F(CheckUpdateTest, NewerReleaseOpensTheListLastLineFirstAndEnds) {
    const std::string list = "http://a.example/1\r\n  www.B.example/2  \rmailto:x@y\n\nhttps://c/3";
    const Service service{
        {"/update-qndr.php",
         S::Info("2.0.0.0", "#url={base}/setup.bin\r\n#url2={base}/dir/URLS-QNDR.TXT\r\n")},
        {"/setup.bin", S::Text("program")},
        {"/dir/URLS-QNDR.TXT", S::Text(list)},
    };
    const auto lines = Check(service);
    EXPECT_EQ(lines, (Lines{
                         "OnBeginUpgrade UpgradeMsg=Get it UpgradeMethod=0 Files=[" + base_ +
                             "/setup.bin|" + base_ + "/dir/URLS-QNDR.TXT] CanUpgrade=true",
                         "OnFileStart FileURL=" + base_ +
                             "/setup.bin FileSize=7 FileTime=0.000000 CanUpgrade=false",
                         "OnFileStart FileURL=" + base_ + "/dir/URLS-QNDR.TXT FileSize=" +
                             std::to_string(list.size()) + " FileTime=0.000000 CanUpgrade=true",
                         "OnFileDone FileName=" + App() + "URLS-QNDR.TXT.uTMP",
                         "OPEN https://c/3",
                         "OPEN www.B.example/2",
                         "OPEN http://a.example/1",
                         "OnAborted",
                         "MESSAGE Please update with the latest version.",
                         "OnEndUpgrade RestartImediately=false",
                     }));
    EXPECT_TRUE(LeftInApp().empty());
}

TEST_F(CheckUpdateTest, OutcomesWithoutADecisionStartTheWindow) {
    const auto info = S::Info("2.0.0.0", "#url={base}/setup.bin\r\n#url2={base}/urls-qndr.txt\r\n");
    struct Case {
        const char* what;
        Service service;
        Lines tail;  // the last lines
    } cases[] = {
        {"every file declined",
         {{"/update-qndr.php", S::Info("2.0.0.0", "#url={base}/setup.bin\r\n")},
          {"/setup.bin", S::Text("x")}},
         {"OnEndUpgrade RestartImediately=false", "POPULATE"}},
        {"connection lost mid-file",
         {{"/update-qndr.php", info},
          {"/urls-qndr.txt", S::Raw("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhttp://x/")}},
         {"OnConnLost", "POPULATE"}},
        {"listed file answers 404", {{"/update-qndr.php", info}}, {"OnAborted", "POPULATE"}},
        {"list under another local name",
         {{"/update-qndr.php", S::Info("2.0.0.0", "#url={base}/urls-qndr.txt=%temp%other.txt\r\n")},
          {"/urls-qndr.txt", S::Text("http://x/")}},
         {"OnEndUpgrade RestartImediately=false", "POPULATE"}},
        {"redirect to a web page",
         {{"/update-qndr.php",
           S::Text("#version=2.0.0.0\r\n#url=www.example.com\r\n#method=2\r\n")}},
         {"OnBeginUpgrade UpgradeMsg= UpgradeMethod=2 Files=[www.example.com] CanUpgrade=true",
          "POPULATE"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto lines = Check(c.service);
        ASSERT_GE(lines.size(), c.tail.size());
        EXPECT_EQ(Lines(lines.end() - static_cast<long>(c.tail.size()), lines.end()), c.tail);
        for (const auto& line : lines)
            EXPECT_NE(line.rfind("OPEN", 0), 0u) << line;
    }
}

TEST_F(CheckUpdateTest, FileTimeComesFromLastModifiedInEveryDateForm) {
    const TDateTime expected = HTTPDate("Sun, 06 Nov 1994 08:49:37 GMT");
    for (const char* date : {"Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
                             "Sun Nov  6 08:49:37 1994"}) {
        SCOPED_TRACE(date);
        const Service service{
            {"/update-qndr.php", S::Info("2.0.0.0", "#url={base}/setup.bin\r\n")},
            {"/setup.bin", S::Text("x", {{"Last-Modified", date}})},
        };
        const auto lines = Check(service);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1], "OnFileStart FileURL=" + base_ + "/setup.bin FileSize=1 FileTime=" +
                                TraceDate(expected) + " CanUpgrade=false");
    }
}

}  // namespace
