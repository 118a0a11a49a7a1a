#pragma once

// What the transfer engine tests share: a recorder of every notification, a run that waits
// for the engine to end while serving the UI thread's hand-offs, and a temporary folder.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "update/HandOff.h"
#include "update/upHTTP.h"

namespace quendra::testing {

struct TransferRecord {
    std::vector<std::string> events;
    std::string memory;  // the memory output of Done or ConnectionLost
    std::string errorBody;
    int errorStatus = 0;
    std::uint32_t doneSize = 0;
    std::vector<int> statuses;  // OnHTTPStatus numbers
    std::vector<std::u16string> redirects;
    int progressCalls = 0;
};

inline void Record(TupCustomHTTP& http, TransferRecord& record) {
    http.OnHTTPDone = [&](TupCustomHTTP&, const std::string&, std::uint32_t size,
                          const std::string* memory) {
        record.events.push_back("Done");
        record.doneSize = size;
        if (memory)
            record.memory = *memory;
    };
    http.OnHTTPConnectionLost = [&](TupCustomHTTP&, const std::string&, std::uint32_t,
                                    std::uint32_t, const std::string* memory) {
        record.events.push_back("ConnectionLost");
        if (memory)
            record.memory = *memory;
    };
    http.OnHTTPHostUnreachable = [&](TupCustomHTTP&) {
        record.events.push_back("HostUnreachable");
    };
    http.OnHTTPError = [&](TupCustomHTTP&, int status, const std::string* body) {
        record.events.push_back("Error");
        record.errorStatus = status;
        record.errorBody = body ? *body : "(none)";
    };
    http.OnHTTPFailed = [&](TupCustomHTTP&) { record.events.push_back("Failed"); };
    http.OnHTTPAlreadyComplete = [&](TupCustomHTTP&) {
        record.events.push_back("AlreadyComplete");
    };
    http.OnHTTPDeclined = [&](TupCustomHTTP&) { record.events.push_back("Declined"); };
    http.OnHTTPAborted = [&](TupCustomHTTP&) { record.events.push_back("Aborted"); };
    http.OnHTTPProgress = [&](TupCustomHTTP&, const TupHTTPProgress&, const std::string*) {
        ++record.progressCalls;
    };
}

// Serves hand-offs until the engine's run has ended (at most `limit`).
inline bool WaitUntilIdle(TupCustomHTTP& http,
                          std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    return RunUiLoopUntil([&] { return !http.IsBusy(); }, limit);
}

inline std::u16string U16(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quendra-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace quendra::testing
