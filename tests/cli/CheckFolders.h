#pragma once

// The folders of one update check, private to a test: the program's folder ("app", also the
// download folder), the temporary folder ("tmp") and a home for the other macros and the
// check's lock. Created empty, removed with everything in them.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "update/upAutoUpdater.h"
#include "util/Unicode.h"

namespace quendra {

class CheckFolders {
public:
    CheckFolders() {
        char pattern[] = "/tmp/quendra-check-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            throw std::runtime_error("no temporary folder for the check");
        root_ = pattern;
        for (const char* sub : {"app", "tmp", "home"})
            std::filesystem::create_directory(root_ / sub);
    }
    ~CheckFolders() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    CheckFolders(const CheckFolders&) = delete;
    CheckFolders& operator=(const CheckFolders&) = delete;

    TupAutoUpdater::Environment Environment() const {
        TupAutoUpdater::Environment environment;
        UpdateFolders& f = environment.folders;
        f.AppFolder = Utf8ToUtf16(App());
        f.ExeName = f.AppFolder + u"quendra";
        f.DownloadFolder = f.AppFolder;
        f.TempFolder = Utf8ToUtf16((root_ / "tmp").string() + "/");
        f.Desktop = f.Documents = f.Pictures = f.AppData =
            Utf8ToUtf16((root_ / "home").string() + "/");
        f.CheckLockFile = Utf8ToUtf16((root_ / "home/update.lock").string());
        return environment;
    }

    // The program's folder, with a trailing "/".
    std::string App() const { return (root_ / "app").string() + "/"; }

    // The names of what is in one of the folders ("app", "tmp" or "home").
    std::vector<std::string> LeftIn(const char* sub) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root_ / sub))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::filesystem::path root_;
};

}  // namespace quendra
