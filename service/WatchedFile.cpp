#include "service/WatchedFile.h"

#include <fstream>
#include <sstream>

namespace quendra {

std::optional<FileStamp> StampOf(const std::filesystem::path& path) {
    std::error_code error;
    FileStamp stamp;
    stamp.modified = std::filesystem::last_write_time(path, error);
    if (!error)
        stamp.size = std::filesystem::file_size(path, error);
    if (error)
        return std::nullopt;
    return stamp;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return std::move(text).str();
}

}  // namespace quendra
