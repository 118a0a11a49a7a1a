#pragma once

// The two files the service answers from: read once at start, then checked once a second
// and read again when they changed. A changed file that cannot be taken leaves the
// service answering from what it had, and says so in the log.

#include <filesystem>
#include <string>

#include "service/Catalogue.h"
#include "service/Release.h"
#include "service/RequestLog.h"
#include "service/WatchedFile.h"

namespace quendra {

class ServiceFiles {
public:
    ServiceFiles(const std::filesystem::path& catalogue, const std::filesystem::path& release);

    // The first read of both; the reason when one cannot be taken, else empty.
    std::string Load();
    // Reads what changed; one log line per file that changed.
    void Refresh(RequestLog& log);

    const WatchedFile<Catalogue>& catalogue() const { return catalogue_; }
    const WatchedFile<Release>& release() const { return release_; }

private:
    WatchedFile<Catalogue> catalogue_;
    WatchedFile<Release> release_;
};

}  // namespace quendra
