// What the program makes of the served information file and URL list, read with its own
// parsers.

#include "update/InfoFile.h"
#include "update/UrlListFile.h"

#include <gtest/gtest.h>

#include "tests/service/ServiceFixture.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;

InfoFileContents ReadAs(const RunningService& service, std::u16string_view runningVersion) {
    const HttpResult info = service.Get("/update-qndr.php");
    EXPECT_TRUE(info.ok());
    EXPECT_EQ(info.reply.status, 200u);
    InfoFileSettings settings;
    settings.VersionControl = TupAutoUpdaterVersionControl::byNumber;
    settings.VersionNumber = std::u16string(runningVersion);
    return ParseInfoFile(info.reply.body, settings);
}

TEST(ServedInformationFile, OffersANewerReleaseWithTheUrlListAndEveryListedFile) {
    RunningService service(TestCatalogue(), R"({
        "version": "1.10.0.0", "method": "external-setup", "message": "Two\r\nlines",
        "urlList": ["http://www.q.example/download", "http://www.q.example/changes"],
        "files": [{"url": "https://mirror.example/setup.tar.gz", "localPath": "%temp%setup.tar.gz"}]})");
    const std::u16string base = Utf8ToUtf16("http://" + HostFieldValue(service.address()));

    const InfoFileContents newer = ReadAs(service, u"1.9.0.0");
    EXPECT_TRUE(newer.Newer);
    EXPECT_EQ(newer.Files,
              (TupStringList{base + u"/files/urls-qndr.txt",
                             u"https://mirror.example/setup.tar.gz=%temp%setup.tar.gz"}));
    EXPECT_EQ(newer.UpgradeMsg, u"Two\r\nlines");
    EXPECT_EQ(newer.UpgradeMethod, TupUpgradeMethod::umUseExternalSetup);

    // The one file the program accepts, and the addresses it opens from it, last line first.
    ASSERT_TRUE(IsUrlListAddress(newer.Files[0]));
    const HttpResult list = service.Get("/files/urls-qndr.txt");
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(UrlListAddresses(UrlListLines(list.reply.body)),
              (std::vector<std::u16string>{u"http://www.q.example/changes",
                                           u"http://www.q.example/download"}));

    EXPECT_FALSE(ReadAs(service, u"1.10.0.0").Newer);
    EXPECT_FALSE(ReadAs(service, u"2.0.0.0").Newer);
}

// The demo shows the window: its sample release is no update for this build.
TEST(ServedInformationFile, SampleReleaseOffersNothingNewToThisBuild) {
    const auto sample = [](const char* name) {
        return ReadWholeFile(std::string(QUENDRA_SOURCE_DIR "/service/samples/") + name).value();
    };
    RunningService service(sample("catalogue.json"), sample("release.json"));
    EXPECT_FALSE(ReadAs(service, u"" QUENDRA_VERSION).Newer);
    EXPECT_TRUE(ReadAs(service, u"0.9").Newer);
}

}  // namespace
