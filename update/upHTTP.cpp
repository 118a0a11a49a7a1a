#include "update/upHTTP.h"

#include "update/HttpRun.h"
#include "update/TransferValues.h"

namespace quendra {

TupCustomHTTP::TupCustomHTTP(const ThreadPlatform& platform) : thread_(platform) {
    UserAgent = u"TupCustomHTTP (quendra.example)";
    thread_.OnWaitTimeout = [this](TupCustomThread&, bool& terminate) { WaitTimedOut(terminate); };
    thread_.SetOnException([this](TupCustomThread&, std::exception_ptr) {
        if (OnHTTPFailed)
            OnHTTPFailed(*this);
    });
}

TupCustomHTTP::~TupCustomHTTP() {
    destroying_ = true;
    thread_.OwnerDestroying();
    // The run is abandoned: its transfer is cancelled and it raises nothing more.
    if (thread_.Executing())
        thread_.Terminate(true);
    else if (run_)
        run_->ReleaseOutput();
}

TupThreadPriority TupCustomHTTP::ThreadPriority() const {
    return thread_.Priority();
}

void TupCustomHTTP::SetThreadPriority(TupThreadPriority priority) {
    thread_.SetPriority(priority);
}

bool TupCustomHTTP::StartTransfer(std::uint32_t startRange, std::uint32_t endRange, bool wait) {
    if (started_)
        return false;
    started_ = true;
    if (startRange == 0 && endRange == 0) {
        startRange = Range.StartRange;
        endRange = Range.EndRange;
    }
    if (endRange != 0 && endRange < startRange)
        startRange = 0;

    auto run =
        std::make_shared<detail::HttpRun>(*this, detail::SettingsOf(*this), startRange, endRange);
    run->onBeforeSend = OnHTTPBeforeSend;
    run->onStatus = OnHTTPStatus;
    run->onRedirect = OnHTTPRedirect;
    run_ = run;
    thread_.SetOnExecute([run](TupThreadRun& thread) { run->Body(thread); });
    thread_.SetOnTerminate([this, run](TupCustomThread&) {
        if (run->aborted)
            FinishAbort(run);
        else
            Complete(run);
    });
    thread_.WaitForTermination = wait;
    const bool result = thread_.Execute();
    thread_.WaitForTermination = false;
    return result;
}

void TupCustomHTTP::Complete(const std::shared_ptr<detail::HttpRun>& run) {
    detail::HttpRun& r = *run;
    const std::string* memory = r.fileOutput ? nullptr : r.memory.get();
    if (r.keepGoing) {
        if (r.success) {
            if (!r.file && !r.memory) {
                if (OnHTTPFailed)
                    OnHTTPFailed(*this);
                if (OnHTTPAlreadyComplete)
                    OnHTTPAlreadyComplete(*this);
                if (run_ == run)
                    started_ = false;
                return;
            }
            if (r.fileOutput) {
                r.file.reset();
                const auto& attributes = r.settings.attributes;
                if (!(attributes.Complete == attributes.Incomplete)) {
                    SetFileReadOnly(r.settings.fileName,
                                    attributes.Complete.Contains(TupFileAttribute::atrReadOnly));
                }
            }
            if (OnHTTPDone)
                OnHTTPDone(*this, r.contentType, Saturate32(r.bytesRead + r.startRange), memory);
        } else {
            const int status = r.statusCode;
            if (status == 200 || status == 206) {
                if (OnHTTPConnectionLost) {
                    OnHTTPConnectionLost(*this, r.contentType, Saturate32(r.fileSize),
                                         Saturate32(r.bytesRead), memory);
                }
            } else if (status == -1) {
                if (OnHTTPHostUnreachable)
                    OnHTTPHostUnreachable(*this);
            } else {
                // The output file goes before the handler hears of it, so a transfer the
                // handler starts keeps its own file. A resumed file (range start set) keeps
                // the part that was complete on disk.
                r.file.reset();
                if (!r.settings.fileName.empty() && r.startRange == 0)
                    DeleteLocalFile(r.settings.fileName);
                if (OnHTTPError)
                    OnHTTPError(*this, status, r.memory.get());
            }
            if (OnHTTPFailed)
                OnHTTPFailed(*this);
        }
    }
    r.ReleaseOutput();
    if (run_ == run)
        started_ = false;
    if (!r.keepGoing && OnHTTPDeclined)
        OnHTTPDeclined(*this);
}

void TupCustomHTTP::FinishAbort(const std::shared_ptr<detail::HttpRun>& run) {
    if (run_ == run)
        started_ = false;
    if (!destroying_ && OnHTTPAborted)
        OnHTTPAborted(*this);
}

void TupCustomHTTP::AbortTransfer(bool deletePartial, bool immediately) {
    if (!thread_.Executing() || !run_)
        return;
    const auto run = run_;
    run->deletePartialOnAbort = deletePartial;
    if (!immediately) {
        // The body stops at its next checkpoint; a step that waits for the server
        // returns at once.
        thread_.Terminate(false);
        run->CancelTransfer();
        return;
    }
    thread_.Terminate(true);
    // The worker no longer touches any path, so its output file can go now.
    if (deletePartial && run->OutputFileMade())
        DeleteLocalFile(run->settings.fileName);
    started_ = false;
    if (!destroying_ && OnHTTPAborted)
        OnHTTPAborted(*this);
}

bool TupCustomHTTP::IsBusy() const {
    return thread_.Executing();
}

void TupCustomHTTP::ResetTransfer() {
    if (run_ && run_->bodyEnded)
        run_->ReleaseOutput();
    started_ = false;
}

int TupCustomHTTP::StatusCode() const {
    return run_ ? run_->statusCode.load() : -1;
}

std::uint32_t TupCustomHTTP::FileSize() const {
    return run_ ? Saturate32(run_->fileSize) : 0;
}

std::uint32_t TupCustomHTTP::BytesRead() const {
    return run_ ? Saturate32(run_->bytesRead) : 0;
}

std::string TupCustomHTTP::ErrorText() const {
    return run_ ? run_->ErrorText() : std::string();
}

void TupCustomHTTP::WaitTimedOut(bool& terminate) {
    if (OnHTTPWaitTimeout)
        OnHTTPWaitTimeout(*this, terminate);
    if (terminate) {
        // The thread layer abandons the run next; its transfer is cancelled with it.
        started_ = false;
    }
}

}  // namespace quendra
