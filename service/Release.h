#pragma once

// The current release, which the update service announces: a JSON file
//
//   { "version": "1.0.0.1",                     four dotted numbers at most
//     "date": "12/10/2026",                      optional, month/day/year
//     "method": "self" | "external-setup" | "redirect",   optional, default "self"
//     "message": "...",                          optional
//     "publicAddress": "http://update.example",  optional, see below
//     "urlList": ["http://www.example/download", ...],    the pages the program opens
//     "files": [ {"name": "setup.tar.gz", "source": "dist/setup.tar.gz",
//                 "localPath": "%temp%setup.tar.gz"},     served by this service
//                {"url": "https://mirror.example/setup.tar.gz"} ] }   served elsewhere
//
// From it the service makes the update information file and the URL list file
// "urls-qndr.txt" (the one file the program fetches: it opens the addresses it holds).
// Files the service serves are listed under "<base>/files/<name>", where the base is the
// publicAddress or, without one, "http://" and the Host of the information request.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quendra {

inline constexpr std::string_view kUrlListName = "urls-qndr.txt";
inline constexpr std::string_view kFilesPath = "/files/";

struct ReleaseFile {
    std::string name;       // served as /files/<name>; empty for a file served elsewhere
    std::string url;        // the address of a file served elsewhere
    std::string localPath;  // where the program would store it; may be empty
    std::shared_ptr<const std::string> contents;
    std::string contentType;
};

struct Release {
    std::string version;
    std::string date;
    std::string method;   // "", "1" (external setup) or "2" (redirect)
    std::string message;  // in the system code page
    std::string publicAddress;
    std::vector<ReleaseFile> files;  // the URL list file first
};

// Largest file the release may have the service serve.
inline constexpr std::uintmax_t kMaxServedFileBytes = 64 * 1024 * 1024;

// The release, or the reason it is refused. Sources of served files are read from
// `folder` (the release file's own), and must lie inside it.
std::variant<Release, std::string> ParseRelease(std::string_view json,
                                                const std::filesystem::path& folder);

// The update information file the program reads, its directives each on a line of its
// own ending in CR LF, in the system code page.
std::string InfoFileText(const Release& release, std::string_view base);

// The served file of that name, or nullptr.
const ReleaseFile* FindServedFile(const Release& release, std::string_view name);

// "http://<host>" when `host` is a host name or address with an optional port, else "".
std::string BaseFromHost(std::string_view host);

}  // namespace quendra
