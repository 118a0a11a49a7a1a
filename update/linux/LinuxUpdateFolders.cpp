#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "update/UpdateFolders.h"
#include "util/ProgramFiles.h"
#include "util/Unicode.h"

namespace quendra {
namespace linux_impl {
namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string Home() {
    const std::string home = Environment("HOME");
    return home.empty() ? std::string("/") : WithSlash(home);
}

// An absolute folder from the environment, else the default below the home folder.
std::string UserFolder(const char* variable, const char* homeRelative) {
    std::string value = Environment(variable);
    if (value.empty() || value.front() != '/')
        value = Home() + homeRelative;
    return WithSlash(value);
}

// $XDG_CACHE_HOME/quendra/, made with mode 0700 when it is missing.
std::string PerUserDownloadFolder() {
    const std::string cache = UserFolder("XDG_CACHE_HOME", ".cache");
    mkdir(cache.c_str(), 0700);
    const std::string folder = cache + "quendra/";
    mkdir(folder.c_str(), 0700);
    return folder;
}

UpdateFolders ReadFolders() {
    UpdateFolders folders;
    const std::string exe = Utf16ToUtf8(ProgramFilePath());
    const std::string app = exe.substr(0, exe.rfind('/') + 1);
    std::string temp = Environment("TMPDIR");
    if (temp.empty())
        temp = "/tmp";
    temp = WithSlash(temp);
    if (!IsFolder(temp))
        temp = app;

    folders.ExeName = Utf8ToUtf16(exe);
    folders.AppFolder = Utf8ToUtf16(app);
    folders.TempFolder = Utf8ToUtf16(temp);
    folders.Desktop = Utf8ToUtf16(UserFolder("XDG_DESKTOP_DIR", "Desktop"));
    folders.Documents = Utf8ToUtf16(UserFolder("XDG_DOCUMENTS_DIR", "Documents"));
    folders.Pictures = Utf8ToUtf16(UserFolder("XDG_PICTURES_DIR", "Pictures"));
    folders.AppData = Utf8ToUtf16(UserFolder("XDG_DATA_HOME", ".local/share"));
    const bool appWritable = !app.empty() && access(app.c_str(), W_OK) == 0;
    folders.DownloadFolder = appWritable ? folders.AppFolder : Utf8ToUtf16(PerUserDownloadFolder());
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    folders.CheckLockFile = !runtime.empty() && runtime.front() == '/' && IsFolder(runtime)
                                ? Utf8ToUtf16(WithSlash(runtime) + "quendra-update.lock")
                                : quendra::PerUserDownloadFolder() + u"update.lock";
    return folders;
}

}  // namespace
}  // namespace linux_impl

std::u16string PerUserDownloadFolder() {
    return Utf8ToUtf16(linux_impl::PerUserDownloadFolder());
}

const UpdateFolders& SystemUpdateFolders() {
    static const UpdateFolders folders = linux_impl::ReadFolders();
    return folders;
}

}  // namespace quendra
