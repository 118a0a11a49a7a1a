#pragma once

// A value read from a file, read again when the file changes. Readers on any thread take
// the current value; a change that cannot be read keeps the value it had.

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace quendra {

// What identifies one state of a file: its modification time and size.
struct FileStamp {
    std::filesystem::file_time_type modified{};
    std::uintmax_t size = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp, or nothing when the file cannot be seen.
std::optional<FileStamp> StampOf(const std::filesystem::path& path);
// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

template <class T>
class WatchedFile {
public:
    // Makes the value from the file's text, or gives the reason it cannot.
    using Loader = std::function<std::variant<T, std::string>(const std::string& text)>;

    struct Outcome {
        bool changed = false;  // the file changed since the last read
        std::string error;     // why the changed file was not taken; empty when it was
    };

    WatchedFile(std::filesystem::path path, Loader load)
        : path_(std::move(path)), load_(std::move(load)) {}

    // Reads the file when it changed since the last read (any read, also a refused one).
    // Called from one thread at a time.
    Outcome Refresh() {
        const auto stamp = StampOf(path_);
        if (tried_.has_value() && *tried_ == stamp)
            return {};
        tried_ = stamp;
        const auto text = stamp ? ReadWholeFile(path_) : std::nullopt;
        if (!text)
            return {true, path_.string() + ": cannot be read"};
        auto loaded = load_(*text);
        if (auto* error = std::get_if<std::string>(&loaded))
            return {true, path_.string() + ": " + *error};
        auto value = std::make_shared<const T>(std::move(std::get<T>(loaded)));
        std::lock_guard lock(mutex_);
        current_ = std::move(value);
        return {true, {}};
    }

    // The value last read; nullptr before the first successful read.
    std::shared_ptr<const T> Current() const {
        std::lock_guard lock(mutex_);
        return current_;
    }

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    Loader load_;
    std::optional<std::optional<FileStamp>> tried_;
    mutable std::mutex mutex_;
    std::shared_ptr<const T> current_;
};

}  // namespace quendra
