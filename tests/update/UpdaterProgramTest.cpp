// The updater program a restart starts: it puts queued downloads in place, keeps the modes of
// the files it replaces, refuses files outside its folders, starts the program again with its
// parameters, and removes itself and its queue.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "update/UpdaterQueue.h"
#include "update/linux/StartDetached.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;
namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& text, fs::perms mode = fs::perms::owner_read |
                                                                           fs::perms::owner_write) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    fs::permissions(path, mode, fs::perm_options::replace);
}

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class UpdaterProgramTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quendra-updater-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        for (const char* sub : {"app", "tmp", "elsewhere"})
            fs::create_directory(root_ / sub);
    }
    void TearDown() override { fs::remove_all(root_); }

    // A program that writes its arguments next to itself.
    static std::string Program(const std::string& marker) {
        return "#!/bin/sh\necho \"" + marker + " $*\" > \"$(dirname \"$0\")/started.txt\"\n";
    }

    // Starts the updater as a restart does and waits until the program it starts has run.
    std::string Restart(const std::string& params) {
        const fs::path updater = root_ / "tmp/QndrUpdater.exe";
        fs::copy_file(QUENDRA_UPDATER_PROGRAM, updater);
        EXPECT_TRUE(linux_impl::StartDetached(
            {updater.string(), (root_ / "app/prog").string(), "+" + params}));
        const fs::path started = root_ / "app/started.txt";
        for (int i = 0; i < 500 && !fs::exists(started); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (int i = 0; i < 500 && fs::exists(updater); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(fs::exists(updater));
        EXPECT_FALSE(fs::exists(root_ / "tmp/UpdaterQueue.txt"));
        return fs::exists(started) ? Read(started) : std::string("(not started)");
    }

    fs::path root_;
};

TEST_F(UpdaterProgramTest, ReplacesQueuedFilesAndStartsTheProgramAgain) {
    const auto executable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec;
    Write(root_ / "app/prog", Program("old"), executable);
    Write(root_ / "app/prog.uTMP", Program("new"));  // downloads arrive without the x bits
    Write(root_ / "app/data.txt.uTMP", "data");
    Write(root_ / "elsewhere/evil", "kept");
    Write(root_ / "elsewhere/evil.uTMP", "replaced");
    Write(root_ / "tmp/UpdaterQueue.txt",
          QueueText({Utf8ToUtf16((root_ / "app/prog").string()),
                     Utf8ToUtf16((root_ / "app/sub/../data.txt").string()),
                     Utf8ToUtf16((root_ / "elsewhere/evil").string()),
                     Utf8ToUtf16((root_ / "app/../elsewhere/evil").string())}));

    EXPECT_EQ(Restart("/afterupgrade0"), "new /afterupgrade0\n");
    EXPECT_EQ(fs::status(root_ / "app/prog").permissions(), executable);
    EXPECT_EQ(Read(root_ / "app/data.txt"), "data");
    EXPECT_EQ(Read(root_ / "elsewhere/evil"), "kept");
    EXPECT_TRUE(fs::exists(root_ / "elsewhere/evil.uTMP"));
}

TEST_F(UpdaterProgramTest, AnExternalSetupIsNeverRunOnlyTheProgramStartsAgain) {
    Write(root_ / "app/prog", Program("old"), fs::perms::owner_all);
    Write(root_ / "app/setup.sh.uTMP", Program("setup"), fs::perms::owner_all);
    Write(root_ / "tmp/UpdaterQueue.txt", QueueText({Utf8ToUtf16((root_ / "app/setup.sh").string())}));
    EXPECT_EQ(Restart("/afterupgrade1"), "old /afterupgrade1\n");
    EXPECT_FALSE(fs::exists(root_ / "app/setup.sh"));
}

TEST(UpdaterQueue, ReadsWhatItWrote) {
    const std::vector<std::u16string> paths{u"/a/b c.txt", u"/d/\u00e9.bin"};
    EXPECT_EQ(QueuePaths(QueueText(paths)), paths);
    EXPECT_EQ(QueuePaths("/x\r\n\r\n/y\n/z"), (std::vector<std::u16string>{u"/x", u"/y", u"/z"}));
}

}  // namespace
