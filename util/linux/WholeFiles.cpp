#include "util/WholeFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quendra {

namespace {

std::string Reason() {
    return std::strerror(errno);
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = Reason();
        return std::nullopt;
    }
    std::string content;
    char block[16384];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = Reason();
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        content.append(block, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return content;
}

bool WriteWholeFile(const std::string& path, std::string_view content, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = Reason();
        return false;
    }
    while (!content.empty()) {
        const ssize_t put = ::write(fd, content.data(), content.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0) {
            error = Reason();
            ::close(fd);
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(put));
    }
    if (::close(fd) != 0) {
        error = Reason();
        return false;
    }
    return true;
}

}  // namespace quendra
