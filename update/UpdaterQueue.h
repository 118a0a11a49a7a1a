#pragma once

// The queue a restart leaves for the updater program: one file per line (UTF-8, CR LF), each
// the place a downloaded file belongs; the download itself waits beside it as "<path>.uTMP".

#include <string>
#include <string_view>
#include <vector>

namespace quendra {

std::string QueueText(const std::vector<std::u16string>& paths);
std::vector<std::u16string> QueuePaths(std::string_view text);

// Puts each queued download in place: "<path>.uTMP" is renamed to "<path>", which keeps the
// mode of the file it replaces. A path outside `allowedFolders` (each ending in "/"), or
// without its download, is skipped. Returns how many files were replaced.
int ReplaceQueuedFiles(const std::vector<std::u16string>& paths,
                       const std::vector<std::u16string>& allowedFolders);

}  // namespace quendra
