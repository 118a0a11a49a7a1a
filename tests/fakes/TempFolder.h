#pragma once

// A folder of one test's own under the temporary folder, made by mkdtemp so that tests
// running side by side (ctest -j, other build trees on the same machine) never share one.
// It is removed with everything in it when the object goes.

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace quendra {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "quendra-test") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            const int error = errno;
            throw std::system_error(error, std::generic_category(), "mkdtemp " + pattern);
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace quendra
