#pragma once

// The files of the transfer engine: the output file of a download and the source of a
// "file" address. Descriptors are close-on-exec. On Linux the read-only attribute is the
// file mode's write bits; the other attributes have no meaning there.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quendra {

class LocalFile {
public:
    LocalFile() = default;
    ~LocalFile();
    LocalFile(LocalFile&& other) noexcept;
    LocalFile& operator=(LocalFile&& other) noexcept;
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    // For reading; it must exist.
    static std::optional<LocalFile> OpenForReading(const std::string& path);
    // For reading and writing: emptied (or made) when `fresh`, else opened as it is (or
    // made). A read-only file is made writable for the opening and gets its mode back.
    static std::optional<LocalFile> OpenForWriting(const std::string& path, bool fresh);

    bool IsOpen() const { return fd_ >= 0; }
    // The position reached, or nothing.
    std::optional<std::uint64_t> Seek(std::uint64_t position);
    // Bytes read (fewer at the end), or nothing on an error.
    std::optional<std::size_t> Read(char* data, std::size_t size);
    bool Write(const char* data, std::size_t size);
    std::optional<std::uint64_t> Size() const;
    void Close();

private:
    explicit LocalFile(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// Read-only on (every write bit cleared) or off (the owner's write bit set). False when
// the mode cannot be changed.
bool SetFileReadOnly(const std::string& path, bool readOnly);
bool DeleteLocalFile(const std::string& path);

}  // namespace quendra
