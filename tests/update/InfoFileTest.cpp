#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "update/InfoFile.h"
#include "util/Unicode.h"

using namespace quendra;

namespace {

InfoFileSettings ByNumber(std::u16string version) {
    InfoFileSettings settings;
    settings.VersionControl = TupAutoUpdaterVersionControl::byNumber;
    settings.VersionNumber = std::move(version);
    settings.Today = EncodeDateTime(2026, 12, 10).value();
    return settings;
}

TEST(InfoFile, GetInfoValueCutsAtControlCharactersAndNeverReachesTheLastTwo) {
    const std::u16string text = u"#Version=1.2.3.4 \r\n#message={two\r\nlines}\r\n#url=\r\n";
    EXPECT_EQ(GetInfoValue(text, u"#version", false), u"1.2.3.4 ");  // not trimmed
    EXPECT_EQ(GetInfoValue(text, u"#message", true), u"two\r\nlines");
    EXPECT_EQ(GetInfoValue(text, u"#url", false, u"fallback"), u"fallback");
    EXPECT_EQ(GetInfoValue(text, u"#absent", false), u"");
    // Without a line break at the end, the value loses its last two characters.
    EXPECT_EQ(GetInfoValue(u"#version=1.0.0.12", u"#version", false), u"1.0.0.");
    EXPECT_EQ(GetInfoValue(u"#message={no brace\r\n", u"#message", true), u"no brace");
    EXPECT_EQ(GetInfoValue(u"#message=text\r\n", u"#message", true), u"");
}

TEST(InfoFile, CompareVersions) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        int expected;
    } cases[] = {
        {u"1.10.0.0", u"1.9.0.0", 1},  // numbers, not texts
        {u"1.2", u"1.2.0.0", 0},       // missing parts are 0
        {u"1.0.0.0", u"1.0.0.1", -1},
        {u"2.0.0.0 ", u"1.0.0.0", 1},           // "0 " is no number: the texts decide
        {u"1.0.0.", u"1.0.0.5", -1},            // an empty part is no number: "1.0.0." < "1.0.0.5"
        {u"", u"1.0.0.0", -1},                  // no version: not newer
        {u"1.0.0.99999999999", u"1.0.0.5", 1},  // beyond 32 bits: the texts decide
        {u"3.2.0.0.7", u"3.2.0.0", 0},          // a fifth part is ignored
        {u"1..0.0", u"1.0.0.0", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareVersions(c.a, c.b), c.expected)
            << Utf16ToUtf8(c.a) << " vs " << Utf16ToUtf8(c.b);
    }
}

TEST(InfoFile, ParsesTheFileListAndTheNumberedChain) {
    struct Case {
        std::string text;
        TupStringList files;
    } cases[] = {
        {"#version=2.0.0.0\r\n#url=http://h/a\r\n#url2=http://h/b\r\n",
         {u"http://h/a", u"http://h/b"}},
        {"#version=2.0.0.0\r\n#url=http://h/a\r\n#url1=http://h/b\r\n", {u"http://h/a"}},
        {"#version=2.0.0.0\r\n#url1=http://h/a\r\n#url3=http://h/c\r\n", {u"http://h/a"}},
        {"#version=2.0.0.0\r\n#url=a\r\n#url0=b\r\n#url3=c\r\n#url4=d\r\n",
         {u"a", u"b", u"c", u"d"}},
        {"#VERSION=2.0.0.0 #URL=http://h/x?q=local\r\n", {u"http://h/x?q=local"}},
    };
    for (const auto& c : cases) {
        const auto contents = ParseInfoFile(c.text, ByNumber(u"1.0.0.0"));
        EXPECT_TRUE(contents.Newer) << c.text;
        EXPECT_EQ(contents.Files, c.files) << c.text;
    }
}

TEST(InfoFile, MessageAndMethodAreReadOnlyForANewerReleaseWithFiles) {
    const std::string text =
        "#version=2.0.0.0\r\n#url=http://h/a\r\n#message={line 1\r\nline 2}\r\n#method=2\r\n";
    auto contents = ParseInfoFile(text, ByNumber(u"1.0.0.0"));
    EXPECT_EQ(contents.UpgradeMsg, u"line 1\r\nline 2");
    EXPECT_EQ(contents.UpgradeMethod, TupUpgradeMethod::umRedirectToURL);

    contents = ParseInfoFile(text, ByNumber(u"2.0.0.0"));
    EXPECT_FALSE(contents.Newer);
    EXPECT_EQ(contents.UpgradeMsg, u"");
    EXPECT_EQ(contents.UpgradeMethod, TupUpgradeMethod::umSelfUpgrade);

    contents = ParseInfoFile("#version=2.0.0.0\r\n#url=x\r\n#method=1\r\n", ByNumber(u"1"));
    EXPECT_EQ(contents.UpgradeMethod, TupUpgradeMethod::umUseExternalSetup);
    contents = ParseInfoFile("#version=2.0.0.0\r\n#url=x\r\n#method=x\r\n", ByNumber(u"1"));
    EXPECT_EQ(contents.UpgradeMethod, TupUpgradeMethod::umSelfUpgrade);
}

TEST(InfoFile, ComparesDatesWhenTheVersionControlIsByDate) {
    InfoFileSettings settings;
    settings.VersionDate = u"04/28/2008";
    settings.Today = EncodeDateTime(2026, 12, 10).value();
    EXPECT_TRUE(ParseInfoFile("#date=04/29/2008\r\n#url=x\r\n", settings).Newer);
    EXPECT_FALSE(ParseInfoFile("#date=04/28/2008\r\n#url=x\r\n", settings).Newer);
    // Without a date the offered release reads as today's, so it is newer.
    EXPECT_TRUE(ParseInfoFile("#url=x\r\n", settings).Newer);
}

TEST(InfoFile, HostileFilesEndInOrdinaryOutcomes) {
    std::string huge = "#version=9.0.0.0\r\n";
    for (int i = 0; i < 1000; ++i)
        huge += "#url" + (i == 0 ? std::string() : std::to_string(i + 1)) + "=http://h/f" +
                std::to_string(i) + "\r\n";
    huge += std::string(4 * 1024 * 1024, 'x') + "\r\n";
    const auto contents = ParseInfoFile(huge, ByNumber(u"1.0.0.0"));
    EXPECT_TRUE(contents.Newer);
    EXPECT_EQ(contents.Files.size(), 1000u);

    std::string binary(70000, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 7919 % 256);
    EXPECT_FALSE(ParseInfoFile(binary, ByNumber(u"1.0.0.0")).Newer);
    EXPECT_FALSE(ParseInfoFile("#url=http://h/a\r\n", ByNumber(u"1.0.0.0")).Newer);  // no version
    EXPECT_FALSE(ParseInfoFile("", ByNumber(u"1.0.0.0")).Newer);
}

TEST(InfoFile, Dates) {
    const TDateTime today = EncodeDateTime(2026, 12, 10).value();
    EXPECT_EQ(StrToInfoDate(u"04/28/2008", today), EncodeDateTime(2008, 4, 28).value());
    EXPECT_EQ(StrToInfoDate(u"04/28/08", today), EncodeDateTime(8, 4, 28).value());
    for (const char16_t* bad :
         {u"", u"04/28", u"13/01/2008", u"02/30/2008", u"a/b/c", u"4-28-2008"})
        EXPECT_EQ(StrToInfoDate(bad, today), today) << Utf16ToUtf8(bad);
    EXPECT_EQ(InfoDateToStr(EncodeDateTime(2008, 4, 28).value()), u"04/28/2008");
    EXPECT_EQ(InfoDateToStr(EncodeDateTime(2008, 4, 28, 23, 59).value()), u"04/28/2008");
}

UpdateFolders Folders() {
    UpdateFolders folders;
    folders.ExeName = u"/opt/q/quendra";
    folders.AppFolder = u"/opt/q/";
    folders.DownloadFolder = u"/home/u/.cache/quendra/";
    folders.TempFolder = u"/tmp/";
    folders.Desktop = u"/home/u/Desktop/";
    folders.Documents = u"/home/u/Documents/";
    folders.Pictures = u"/home/u/Pictures/";
    folders.AppData = u"/home/u/.local/share/";
    return folders;
}

TEST(InfoFile, ExpandPathMacros) {
    const auto folders = Folders();
    struct Case {
        const char16_t* path;
        bool prefix;
        const char16_t* expected;
    } cases[] = {
        {u"%TEMP%urls-qndr.txt", true, u"/tmp/urls-qndr.txt"},
        {u"%temp%\\urls-qndr.txt", true, u"/tmp//urls-qndr.txt"},
        {u"%current%q.bin", false, u"/opt/q/q.bin"},
        {u"%MyDocuments%a/b.txt", true, u"/home/u/Documents/a/b.txt"},
        {u"%desktop%x", true, u"/home/u/Desktop/x"},
        {u"%appdata%x", true, u"/home/u/.local/share/x"},
        {u"sub\\file.txt", true, u"/home/u/.cache/quendra/sub/file.txt"},
        {u"sub/file.txt", false, u"sub/file.txt"},
        {u"%windows%x.dll", true, u""},
        {u"%SYSTEM%x.dll", true, u""},
        {u"/abs/file", true, u"/abs/file"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExpandPathMacros(c.path, c.prefix, folders), c.expected) << Utf16ToUtf8(c.path);
    }
}

TEST(InfoFile, PathsMayNotLeaveTheBaseFolders) {
    const auto bases = BaseFolders(Folders());
    EXPECT_EQ(ContainedPath(u"/tmp//urls-qndr.txt", bases), u"/tmp/urls-qndr.txt");
    EXPECT_EQ(ContainedPath(u"/tmp/a/../b.txt", bases), u"/tmp/b.txt");
    EXPECT_EQ(ContainedPath(u"/home/u/.cache/quendra/x", bases), u"/home/u/.cache/quendra/x");
    for (const char16_t* bad : {u"/tmp/../etc/passwd", u"/etc/passwd", u"relative/x", u"/tmp/",
                                u"/tmp", u"/../../tmp/x/../../etc", u"/tmp/a\u0001b", u""}) {
        EXPECT_FALSE(ContainedPath(bad, bases)) << Utf16ToUtf8(bad);
    }
}

TEST(InfoFile, FileNameFromURL) {
    struct Case {
        const char16_t* url;
        const char16_t* name;
    } cases[] = {
        {u"http://h/dir/urls-qndr.txt", u"urls-qndr.txt"},
        {u"h/dir/Setup%20File.exe?x=1", u"Setup File.exe"},
        {u"http://h/dir/", u""},
        {u"http://h", u""},
        {u"http://h/a%2Fb", u"b"},
        {u"http://h/a\\b:c", u"c"},
        {u"http://h:99999/x", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileNameFromURL(c.url), c.name) << Utf16ToUtf8(c.url);
}

TEST(InfoFile, ForceFoldersCreatesOnlyInsideTheBaseFolders) {
    char pattern[] = "/tmp/quendra-folders-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path root(pattern);
    const std::u16string base = Utf8ToUtf16(root.string() + "/base/");
    std::filesystem::create_directory(root / "base");

    ForceFolders(base + u"a/b/file.txt", {base});
    EXPECT_TRUE(std::filesystem::is_directory(root / "base/a/b"));
    EXPECT_FALSE(std::filesystem::exists(root / "base/a/b/file.txt"));

    ForceFolders(Utf8ToUtf16(root.string() + "/outside/c/file.txt"), {base});
    EXPECT_FALSE(std::filesystem::exists(root / "outside"));
    std::filesystem::remove_all(root);
}

}  // namespace
