#include "update/LocalFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace quendra {

LocalFile::~LocalFile() {
    Close();
}

LocalFile::LocalFile(LocalFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

LocalFile& LocalFile::operator=(LocalFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

std::optional<LocalFile> LocalFile::OpenForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    return LocalFile(fd);
}

std::optional<LocalFile> LocalFile::OpenForWriting(const std::string& path, bool fresh) {
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    const bool readOnly = exists && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (readOnly)
        ::chmod(path.c_str(), info.st_mode | S_IWUSR);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | (fresh ? O_TRUNC : 0), 0644);
    const int openError = errno;
    if (readOnly)
        ::chmod(path.c_str(), info.st_mode & 07777);
    if (fd < 0) {
        errno = openError;
        return std::nullopt;
    }
    return LocalFile(fd);
}

std::optional<std::uint64_t> LocalFile::Seek(std::uint64_t position) {
    const off_t reached = ::lseek(fd_, static_cast<off_t>(position), SEEK_SET);
    if (reached < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(reached);
}

std::optional<std::size_t> LocalFile::Read(char* data, std::size_t size) {
    std::size_t total = 0;
    while (total < size) {
        const ssize_t n = ::read(fd_, data + total, size - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        total += static_cast<std::size_t>(n);
    }
    return total;
}

bool LocalFile::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::uint64_t> LocalFile::Size() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

void LocalFile::Close() {
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

bool SetFileReadOnly(const std::string& path, bool readOnly) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    const mode_t mode =
        readOnly ? (info.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (info.st_mode | S_IWUSR);
    return ::chmod(path.c_str(), mode & 07777) == 0;
}

bool DeleteLocalFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

}  // namespace quendra
