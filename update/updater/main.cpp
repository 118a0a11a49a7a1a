// The updater program a restart starts: "<updater> <program> +<params>". It waits for the
// program to end, puts the downloaded files listed in the queue beside it in place, starts
// the program again with <params>, and removes itself and the queue. It never runs a
// downloaded file: an update meant for an external setup (<params> ending in "1") only starts
// the program again.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "update/UpdateFolders.h"
#include "update/UpdaterPlatform.h"
#include "update/UpdaterQueue.h"
#include "update/linux/ProcessWait.h"
#include "update/linux/StartDetached.h"
#include "util/ProgramFiles.h"
#include "util/Unicode.h"

namespace {

namespace fs = std::filesystem;
using namespace quendra;

constexpr auto kLongestWait = std::chrono::seconds(30);

std::string Folder(const std::string& path) {
    return path.substr(0, path.rfind('/') + 1);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3 || argv[2][0] != '+' || argv[1][0] != '/') {
        std::cerr << "usage: " << (argc > 0 ? argv[0] : "updater") << " PROGRAM +PARAMS\n";
        return 2;
    }
    const std::string program = argv[1];
    const std::string params = argv[2] + 1;
    const std::string self = Utf16ToUtf8(ProgramFilePath());
    const std::string queueFile = Folder(self) + "UpdaterQueue.txt";

    if (const char* pid = std::getenv(kWaitForProcessVariable))
        linux_impl::WaitForProcessEnd(std::atoi(pid), kLongestWait);

    const bool externalSetup = !params.empty() && params.back() == '1';
    if (!externalSetup) {
        std::ifstream queue(queueFile, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(queue)),
                               std::istreambuf_iterator<char>());
        ReplaceQueuedFiles(QueuePaths(text),
                           {Utf8ToUtf16(Folder(program)), PerUserDownloadFolder()});
    }

    const bool started = linux_impl::StartDetached({program, params});
    std::error_code ignored;
    fs::remove(queueFile, ignored);
    fs::remove(self, ignored);
    return started ? 0 : 1;
}
