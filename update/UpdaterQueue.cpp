#include "update/UpdaterQueue.h"

#include <filesystem>

#include "update/InfoFile.h"
#include "util/TextRules.h"
#include "util/Unicode.h"

namespace quendra {

namespace fs = std::filesystem;

std::string QueueText(const std::vector<std::u16string>& paths) {
    std::string text;
    for (const auto& path : paths)
        text += Utf16ToUtf8(path) + "\r\n";
    return text;
}

std::vector<std::u16string> QueuePaths(std::string_view text) {
    std::vector<std::u16string> paths;
    for (auto& line : SplitLines(Utf8ToUtf16(text))) {
        if (!line.empty())
            paths.push_back(std::move(line));
    }
    return paths;
}

int ReplaceQueuedFiles(const std::vector<std::u16string>& paths,
                       const std::vector<std::u16string>& allowedFolders) {
    int replaced = 0;
    for (const auto& queued : paths) {
        const auto path = ContainedPath(queued, allowedFolders);
        if (!path)
            continue;
        const fs::path target(Utf16ToUtf8(*path));
        const fs::path download(Utf16ToUtf8(*path + u".uTMP"));
        std::error_code error;
        if (!fs::is_regular_file(download, error))
            continue;
        const auto old = fs::status(target, error);
        const bool hadFile = !error && fs::exists(old);
        fs::rename(download, target, error);
        if (error)
            continue;
        if (hadFile)
            fs::permissions(target, old.permissions(), fs::perm_options::replace, error);
        ++replaced;
    }
    return replaced;
}

}  // namespace quendra
