#pragma once

// The transfer engine of the update component: one run fetches one address on a worker
// thread into memory or into a file, and reports the headers, the progress and the outcome
// as notifications, almost all of them on the UI thread while the worker waits.
//
// CONTRACT between the engine (issue 16) and the update session (issue 17). The session is
// written against exactly these declarations; keep them (add what you need, but tell the
// coordinator before changing or removing anything here).

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "update/DateTime.h"
#include "update/upThread.h"

namespace quendra {

namespace detail {
struct HttpRun;
}

// Time limits of a run when a Timeouts value is 0.
inline constexpr std::uint32_t kDefaultConnectTimeout = 30000;  // ms, name resolution included
inline constexpr std::uint32_t kDefaultReceiveTimeout = 60000;  // ms of silence of the server
inline constexpr std::uint32_t kDefaultSendTimeout = 60000;     // ms to write the request
// Redirects followed within one run; the next one ends it without a status.
inline constexpr int kMaxRedirects = 10;

// A set over an enumeration, like the component's published set properties.
template <class E>
class TupSet {
public:
    constexpr TupSet() = default;
    constexpr TupSet(std::initializer_list<E> members) {
        for (const E member : members)
            bits_ |= Bit(member);
    }
    constexpr bool Contains(E member) const { return (bits_ & Bit(member)) != 0; }
    constexpr TupSet With(E member) const { return FromBits(bits_ | Bit(member)); }
    constexpr TupSet Without(E member) const { return FromBits(bits_ & ~Bit(member)); }
    constexpr bool Empty() const { return bits_ == 0; }
    friend constexpr bool operator==(TupSet, TupSet) = default;

private:
    static constexpr std::uint32_t Bit(E member) { return 1u << static_cast<unsigned>(member); }
    static constexpr TupSet FromBits(std::uint32_t bits) {
        TupSet set;
        set.bits_ = bits;
        return set;
    }
    std::uint32_t bits_ = 0;
};

enum class TupCacheOption {
    coAlwaysReload,
    coReloadIfNoExpireInformation,
    coReloadUpdatedObjects,
    coPragmaNoCache,
    coNoCacheWrite,
    coCreateTempFilesIfCantCache,
    coUseCacheIfNetFail,
};
using TupCacheOptions = TupSet<TupCacheOption>;

enum class TupInternetOption {
    ioIgnoreCertificateInvalid,
    ioIgnoreCertificateDateInvalid,
    ioIgnoreUnknownCertificateAuthority,
    ioIgnoreRedirectToHTTP,
    ioIgnoreRedirectToHTTPS,
    ioKeepConnection,
    ioNoAuthentication,
    ioNoAutoRedirect,
    ioNoCookies,
};
using TupInternetOptions = TupSet<TupInternetOption>;

// On Linux only atrReadOnly has a meaning: the write bits of the file's mode (set: every
// write bit cleared; cleared: the owner's write bit set). Archive, hidden, system,
// temporary and offline have none and are dropped.
enum class TupFileAttribute {
    atrArchive,
    atrHidden,
    atrReadOnly,
    atrSystem,
    atrTemporary,
    atrOffline
};
using TupFileAttributes = TupSet<TupFileAttribute>;

enum class TupHTTPAccessType { atPreconfig, atDirect, atUseProxy };
enum class TupRequestMethod { rmAutomatic, rmGet, rmPost };

struct TupHTTPProxy {
    TupHTTPAccessType AccessType = TupHTTPAccessType::atPreconfig;
    int ProxyPort = 8080;
    std::u16string ProxyServer;
    std::u16string ProxyBypass = u"127.0.0.1;";
    std::u16string ProxyUsername;
    std::u16string ProxyPassword;
};

struct TupHTTPRange {
    std::uint32_t StartRange = 0;
    std::uint32_t EndRange = 0;
};

struct TupHTTPTimeouts {  // milliseconds; 0 = the engine's stated default, never unbounded
    std::uint32_t ConnectTimeout = 0;
    std::uint32_t ReceiveTimeout = 0;
    std::uint32_t SendTimeout = 0;
};

struct TupOutputFileAttributes {
    TupFileAttributes Complete{TupFileAttribute::atrArchive};
    TupFileAttributes Incomplete{TupFileAttribute::atrArchive, TupFileAttribute::atrTemporary};
};

// What OnHTTPHeaderInfo reports. Texts are the header values as received (8-bit).
struct TupHTTPHeaderInfo {
    int StatusCode = -1;
    std::string RawHeaders;  // status line and fields, CR LF separated
    std::string ContentType;
    std::string ContentLanguage;
    std::string ContentEncoding;
    std::uint32_t FileSize = 0;
    std::string Location;
    TDateTime Date = 0;
    TDateTime LastModified = 0;
    TDateTime Expires = 0;
    std::string ETag;
};

struct TupHTTPProgress {
    std::string ContentType;
    std::uint32_t FileSize = 0;
    std::uint32_t BytesRead = 0;
    std::uint32_t ElapsedTime = 0;        // s
    std::uint32_t EstimatedTimeLeft = 0;  // s
    std::uint8_t PercentsDone = 0;
    float TransferRate = -1;  // KB/s
};

class TupCustomHTTP {
public:
    explicit TupCustomHTTP(const ThreadPlatform& platform = SystemThreadPlatform());
    virtual ~TupCustomHTTP();  // abandons a running transfer; raises nothing
    TupCustomHTTP(const TupCustomHTTP&) = delete;
    TupCustomHTTP& operator=(const TupCustomHTTP&) = delete;

    // Settings (read by a run when it starts; change them only between runs).
    std::u16string URL;
    std::u16string FileName;  // empty: output to memory
    std::u16string AcceptTypes = u"text/html, */*";
    std::u16string UserAgent;  // a fixed agent text naming the component
    std::u16string Referer;
    std::u16string PostData;
    std::vector<std::u16string> CustomHeaders;
    TupRequestMethod RequestMethod = TupRequestMethod::rmAutomatic;
    TupCacheOptions CacheOptions{TupCacheOption::coReloadIfNoExpireInformation,
                                 TupCacheOption::coReloadUpdatedObjects,
                                 TupCacheOption::coCreateTempFilesIfCantCache};
    TupInternetOptions InternetOptions{TupInternetOption::ioKeepConnection};
    TupHTTPRange Range;
    TupHTTPTimeouts Timeouts;
    std::uint32_t TransferBufferSize = 4096;  // 255 .. 2147483647
    TupHTTPProxy Proxy;
    TupOutputFileAttributes OutputFileAttributes;
    bool WorkOffline = false;
    bool AutoGoOnline = false;
    std::u16string HTTPUsername;
    std::u16string HTTPPassword;
    TupThreadPriority ThreadPriority() const;
    void SetThreadPriority(TupThreadPriority priority);
    // Largest body kept in memory (output to memory, error bodies); a larger body ends the
    // run as a lost connection. State the value.
    std::size_t MaxMemoryOutput = 16 * 1024 * 1024;
    // Limit for the whole run, from the start of name resolution to the last body byte, in
    // milliseconds; 0: none beyond the per-step Timeouts. Past it, a run without a status
    // ends as an unreachable host, one with status 200/206 as a lost connection.
    std::uint32_t TransferTimeLimit = 0;
    // Largest body of a run, whatever the output; 0: no cap beyond MaxMemoryOutput for
    // memory output. A larger body ends the run as a lost connection.
    std::uint64_t MaxBodySize = 0;
    // An extra trusted certificate authority (a PEM file) besides the system's trust store,
    // for tests and private mirrors; empty: none.
    std::string TrustedCaFile;

    // Operations (UI thread).
    bool StartTransfer(std::uint32_t startRange = 0, std::uint32_t endRange = 0, bool wait = false);
    void AbortTransfer(bool deletePartial = false, bool immediately = false);
    bool IsBusy() const;
    void ResetTransfer();

    // State of the current (or last) transfer; read on the UI thread.
    int StatusCode() const;
    std::uint32_t FileSize() const;
    std::uint32_t BytesRead() const;
    // Why the current (or last) run failed, in words ("Cannot connect to host: Connection
    // refused"); empty when it did not fail or the failure is its status.
    std::string ErrorText() const;

    // Notifications. Unassigned ones are skipped. The UI thread unless marked "worker".
    std::function<void(TupCustomHTTP&)> OnHTTPBeforeSend;  // worker
    std::function<void(TupCustomHTTP&, const TupHTTPHeaderInfo&, bool& Continue)> OnHTTPHeaderInfo;
    // `memory`: the memory output so far, null for file output.
    std::function<void(TupCustomHTTP&, const TupHTTPProgress&, const std::string* memory)>
        OnHTTPProgress;
    std::function<void(TupCustomHTTP&, const TupHTTPProgress&)> OnHTTPUploadProgress;
    std::function<void(TupCustomHTTP&, const std::u16string& Realm, bool& TryAgain)>
        OnHTTPPasswordRequest;
    std::function<void(TupCustomHTTP&, std::u16string& ProxyUsername, std::u16string& ProxyPassword,
                       bool& TryAgain)>
        OnProxyAuthenticationRequest;
    std::function<void(TupCustomHTTP&, int status, const std::u16string& text)>
        OnHTTPStatus;                                                                  // worker
    std::function<void(TupCustomHTTP&, const std::u16string& newUrl)> OnHTTPRedirect;  // worker
    // `memory`: the body for memory output, null for file output.
    std::function<void(TupCustomHTTP&, const std::string& ContentType, std::uint32_t size,
                       const std::string* memory)>
        OnHTTPDone;
    std::function<void(TupCustomHTTP&)> OnHTTPDeclined;
    std::function<void(TupCustomHTTP&, const std::string& ContentType, std::uint32_t FileSize,
                       std::uint32_t BytesRead, const std::string* memory)>
        OnHTTPConnectionLost;
    std::function<void(TupCustomHTTP&)> OnHTTPHostUnreachable;
    std::function<void(TupCustomHTTP&)> OnHTTPUploadFailed;
    // `errorBody`: the error body, always in memory.
    std::function<void(TupCustomHTTP&, int StatusCode, const std::string* errorBody)> OnHTTPError;
    std::function<void(TupCustomHTTP&)> OnHTTPAlreadyComplete;
    std::function<void(TupCustomHTTP&)> OnHTTPFailed;
    std::function<void(TupCustomHTTP&)> OnHTTPAborted;
    std::function<void(TupCustomHTTP&, bool& Terminate)> OnHTTPWaitTimeout;

private:
    // Per-run state lives in an object shared with the worker (see upThread.h).
    void Complete(const std::shared_ptr<detail::HttpRun>& run);
    void FinishAbort(const std::shared_ptr<detail::HttpRun>& run);
    void WaitTimedOut(bool& terminate);

    TupCustomThread thread_;
    std::shared_ptr<detail::HttpRun> run_;  // the current or last run
    bool started_ = false;
    bool destroying_ = false;
};

}  // namespace quendra
