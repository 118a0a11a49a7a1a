#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/fakes/TempFolder.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;

namespace fs = std::filesystem;

std::u16string SamplePath(const char* variable) {
    const char* value = std::getenv(variable);
    return value ? Utf8ToUtf16(value) : std::u16string{};
}

class ModuleVersion : public ::testing::Test {
protected:
    std::u16string InDir(const std::string& name) { return Utf8ToUtf16((dir_ / name).string()); }

    TempFolder folder_{"quendra-version"};
    const fs::path& dir_ = folder_.path();
};

TEST_F(ModuleVersion, ReadsTheNoteOfABuiltExecutable) {
    EXPECT_EQ(GetModuleVersionString(SamplePath("VERSION_SAMPLE_WITH")), u"1.0.0.0");
    EXPECT_EQ(GetModuleVersionString(SamplePath("VERSION_SAMPLE_WITHOUT")), u"");
}

TEST_F(ModuleVersion, MissingFoldersAndNonElfFilesHaveNoVersion) {
    EXPECT_EQ(GetModuleVersionString(u""), u"");
    EXPECT_EQ(GetModuleVersionString(InDir("missing")), u"");
    EXPECT_EQ(GetModuleVersionString(Utf8ToUtf16(dir_.string())), u"");
    std::ofstream(dir_ / "text.dll") << "MZ not an ELF file";
    EXPECT_EQ(GetModuleVersionString(InDir("text.dll")), u"");
    std::ofstream(dir_ / "empty");
    EXPECT_EQ(GetModuleVersionString(InDir("empty")), u"");
}

TEST_F(ModuleVersion, FollowsLinksAndLongPaths) {
    const fs::path sample(Utf16ToUtf8(SamplePath("VERSION_SAMPLE_WITH")));
    fs::create_symlink(sample, dir_ / "link");
    EXPECT_EQ(GetModuleVersionString(InDir("link")), u"1.0.0.0");

    // A path far beyond 260 characters is read whole, never cut.
    fs::path deep = dir_;
    for (int i = 0; i < 30; ++i)
        deep /= "a-rather-long-folder-name";
    fs::create_directories(deep);
    fs::copy_file(sample, deep / "copy");
    const std::u16string longPath = Utf8ToUtf16((deep / "copy").string());
    ASSERT_GT(longPath.size(), 700u);
    EXPECT_EQ(GetModuleVersionString(longPath), u"1.0.0.0");
}

TEST_F(ModuleVersion, TruncatedAndCorruptFilesHaveNoVersion) {
    const fs::path sample(Utf16ToUtf8(SamplePath("VERSION_SAMPLE_WITH")));
    std::ifstream in(sample, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(bytes.size(), 256u);

    // Cut before the section table: no version, no read past the end.
    std::ofstream(dir_ / "cut", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    EXPECT_EQ(GetModuleVersionString(InDir("cut")), u"");

    // A section table offset far beyond the file.
    std::string corrupt = bytes;
    for (int i = 0; i < 8; ++i)
        corrupt[0x28 + i] = '\x7F';
    std::ofstream(dir_ / "corrupt", std::ios::binary) << corrupt;
    EXPECT_EQ(GetModuleVersionString(InDir("corrupt")), u"");
}

}  // namespace
