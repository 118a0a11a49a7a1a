#include "util/ProgramFiles.h"

#include <filesystem>
#include <system_error>

#include "util/Unicode.h"

namespace quendra {

std::u16string ProgramFilePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::u16string{} : Utf8ToUtf16(path.string());
}

}  // namespace quendra
