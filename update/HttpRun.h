#pragma once

// One run of the transfer engine: the settings copied when it started, the transfer, the
// output and every state value. The worker and the engine share it; once the run is
// abandoned the worker touches nothing else, and the engine's next run has a run of its own.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "net/HttpTransfer.h"
#include "update/LocalFile.h"
#include "update/upHTTP.h"

namespace quendra::detail {

// The engine's settings as one run reads them (texts in UTF-8).
struct HttpSettings {
    std::string url;
    std::string fileName;  // empty: memory output
    std::string acceptTypes;
    std::string userAgent;
    std::string referer;
    std::string postData;
    std::vector<std::string> customHeaders;
    TupRequestMethod requestMethod = TupRequestMethod::rmAutomatic;
    TupCacheOptions cacheOptions;
    TupInternetOptions internetOptions;
    TupHTTPTimeouts timeouts;
    std::uint32_t bufferSize = 4096;
    TransferProxy proxy;
    TupOutputFileAttributes attributes;
    bool workOffline = false;
    std::string username;
    std::string password;
    std::size_t maxMemoryOutput = 0;
    std::uint32_t timeLimit = 0;
    std::uint64_t maxBodySize = 0;
    std::string trustedCaFile;
};

HttpSettings SettingsOf(const TupCustomHTTP& engine);

struct HttpRun {
    HttpRun(TupCustomHTTP& engine, HttpSettings settings, std::uint32_t startRange,
            std::uint32_t endRange);

    // The worker's part: the body of the run (runs on the worker thread).
    void Body(TupThreadRun& thread);

    // Abandon action: any thread. Cancels the transfer; from now on the worker raises
    // nothing and touches no path.
    void Abandon();
    // Makes a blocked step of the transfer return at once (any thread).
    void CancelTransfer();

    // Releases the output: a file is closed (keeping its Incomplete attributes when it was
    // not complete). UI thread, once the body has ended.
    void ReleaseOutput();

    TupCustomHTTP* const engine;
    HttpSettings settings;  // credentials change when a handler asks to try again

    // Notifications raised on the worker, copied when the run started.
    std::function<void(TupCustomHTTP&)> onBeforeSend;
    std::function<void(TupCustomHTTP&, int, const std::u16string&)> onStatus;
    std::function<void(TupCustomHTTP&, const std::u16string&)> onRedirect;

    // State. The counters are read by the UI thread while the worker runs.
    std::atomic<int> statusCode{-1};
    std::atomic<std::uint64_t> fileSize{0};
    std::atomic<std::uint64_t> bytesRead{0};
    std::atomic<bool> deletePartialOnAbort{false};
    std::atomic<bool> bodyEnded{false};
    std::uint64_t startRange = 0;
    std::uint64_t endRange = 0;
    bool keepGoing = true;  // the Continue flag
    bool success = false;
    bool fileOutput = false;
    bool aborted = false;  // a checkpoint saw Terminated
    bool readFailed = false;
    std::string contentType;
    std::optional<LocalFile> file;
    std::unique_ptr<std::string> memory;
    std::string rawHeaders;

    std::string ErrorText() const;
    void SetErrorText(std::string text);

    // Runs a worker notification unless the run was abandoned (the run lock keeps
    // abandonment out while it runs).
    void RaiseOnWorker(const std::function<void(TupCustomHTTP&)>& raise);
    // Runs a path operation unless the run was abandoned; false when it was.
    bool UnlessAbandoned(const std::function<void()>& operation);
    bool Abandoned();
    // Whether the run has opened its output file (it opens none once abandoned).
    bool OutputFileMade();

private:
    enum class Step { Finished, Restart };
    Step Fetch(TupThreadRun& thread);
    bool Checkpoint(TupThreadRun& thread);
    std::shared_ptr<HttpTransfer> OpenTransfer(TransferRequest request);
    TransferRequest Request(bool probe);
    bool OpenOutput();
    void ReadLoop(TupThreadRun& thread,
                  const std::function<HttpTransfer::ReadResult(char*, std::size_t)>& read);
    void ReadLocalFile(TupThreadRun& thread);
    void Stage(TransferStage stage, const std::string& data);
    void CleanUpAfterAbort();

    mutable std::mutex runLock_;  // abandonment, worker notifications, paths, error text
    bool abandoned_ = false;
    std::string errorText_;
    std::shared_ptr<HttpTransfer> transfer_;  // under runLock_
    bool cancelled_ = false;                  // under runLock_
    bool outputFileMade_ = false;             // under runLock_
    std::uint64_t startTick_ = 0;
    bool compareMode_ = false;
};

}  // namespace quendra::detail
