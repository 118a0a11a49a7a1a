#include "service/Release.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/fakes/TempFolder.h"

namespace {

using namespace quendra;
namespace fs = std::filesystem;

class ReleaseFiles : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_ / "dist");
        std::ofstream(folder_ / "dist" / "setup.tar.gz", std::ios::binary) << "SETUP";
    }

    std::variant<Release, std::string> Parse(const std::string& json) {
        return ParseRelease(json, folder_.path());
    }

    TempFolder folder_{"quendra-release"};
};

TEST_F(ReleaseFiles, InformationFileListsTheUrlListFirstAndEveryEntryByNumber) {
    const auto parsed = Parse(R"({
        "version": "1.2.0.0", "date": "1/31/2027", "method": "external-setup",
        "message": "Line one\r\nCaf\u00e9 \u20ac",
        "urlList": ["http://www.q.example/download", "www.q.example/changes"],
        "files": [{"name": "setup.tar.gz", "source": "dist/setup.tar.gz", "localPath": "%temp%setup.tar.gz"},
                  {"url": "https://mirror.example/setup.tar.gz"}]})");
    ASSERT_TRUE(std::holds_alternative<Release>(parsed)) << std::get<std::string>(parsed);
    const Release& release = std::get<Release>(parsed);

    EXPECT_EQ(InfoFileText(release, "http://127.0.0.1:8080"),
              "#version=1.2.0.0\r\n"
              "#date=1/31/2027\r\n"
              "#method=1\r\n"
              "#url1=http://127.0.0.1:8080/files/urls-qndr.txt\r\n"
              "#url2=http://127.0.0.1:8080/files/setup.tar.gz=%temp%setup.tar.gz\r\n"
              "#url3=https://mirror.example/setup.tar.gz\r\n"
              "#message={Line one\r\nCaf\xE9 \x80}\r\n");
    const ReleaseFile* list = FindServedFile(release, "urls-qndr.txt");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(*list->contents, "http://www.q.example/download\r\nwww.q.example/changes\r\n");
    const ReleaseFile* setup = FindServedFile(release, "setup.tar.gz");
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(*setup->contents, "SETUP");
    EXPECT_EQ(FindServedFile(release, "mirror.example"), nullptr);
}

TEST_F(ReleaseFiles, RefusesWhatTheProgramWouldMisreadOrWhatLeavesTheFolder) {
    const auto with = [](const std::string& members) {
        return R"({"version": "1.0.0.1", "urlList": ["http://www.q.example/"])" + members + "}";
    };
    const struct {
        std::string json;
        std::string error;
    } cases[] = {
        {R"({"version": "1.0.0.0.1", "urlList": ["http://a.example/"]})", "version"},
        {R"({"version": "1.x", "urlList": ["http://a.example/"]})", "version"},
        {R"({"version": "1.0", "urlList": []})", "urlList: at least one"},
        {R"({"version": "1.0", "urlList": ["mailto:a@b.example"]})", "urlList[0]"},
        {R"({"version": "1.0", "urlList": ["http://a.example/\r\nhttp://b.example/"]})",
         "urlList[0]"},
        {with(R"(, "date": "2/30/2027")"), "date"},
        {with(R"(, "date": "12-10-2027")"), "date"},
        {with(R"(, "method": "restart")"), "method"},
        {with(R"(, "message": "a } b")"), "message"},
        {with(R"(, "message": "see #URL3=http://evil.example/")"), "message"},
        {with(R"(, "message": "\u4e2d")"), "Windows-1252"},
        {with(R"(, "publicAddress": "http://q.example/")"), "publicAddress"},
        {with(R"(, "files": [{"url": "http://a.example/get?x=1"}])"), "files[0].url"},
        {with(R"(, "files": [{"url": "http://a.example/#url9=x"}])"), "files[0].url"},
        {with(R"(, "files": [{"url": "ftp://a.example/x"}])"), "files[0].url"},
        {with(R"(, "files": [{"name": "x", "source": "../outside"}])"), "files[0].source"},
        {with(R"(, "files": [{"name": "x", "source": "/etc/passwd"}])"), "files[0].source"},
        {with(R"(, "files": [{"name": "x", "source": "dist/missing"}])"), "files[0].source"},
        {with(R"(, "files": [{"name": "urls-qndr.txt", "source": "dist/setup.tar.gz"}])"),
         "files[0].name"},
        {with(R"(, "files": [{"name": "../x", "source": "dist/setup.tar.gz"}])"), "files[0].name"},
        {with(R"(, "files": [{"name": "a", "source": "dist/setup.tar.gz"},
                             {"name": "a", "source": "dist/setup.tar.gz"}])"),
         "files[1].name: appears twice"},
    };
    for (const auto& c : cases) {
        const auto parsed = Parse(c.json);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.json;
        EXPECT_NE(std::get<std::string>(parsed).find(c.error), std::string::npos)
            << c.json << " -> " << std::get<std::string>(parsed);
    }
}

TEST(ReleaseBase, IsTheHostFieldWhenItNamesAHost) {
    EXPECT_EQ(BaseFromHost("127.0.0.1:8080"), "http://127.0.0.1:8080");
    EXPECT_EQ(BaseFromHost("[::1]:80"), "http://[::1]:80");
    EXPECT_EQ(BaseFromHost("update.q.example"), "http://update.q.example");
    for (std::string_view bad : {"", "a/b", "a b", "a\r\n#url2=x", "a=b", "a#b"})
        EXPECT_EQ(BaseFromHost(bad), "") << bad;
}

}  // namespace
