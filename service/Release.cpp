#include "service/Release.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <sstream>

#include "service/JsonFields.h"
#include "util/TextRules.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// "1", "1.2", ... up to four parts, as the program compares them.
bool IsVersion(std::string_view text) {
    int parts = 0;
    for (std::size_t start = 0;; ++parts) {
        const std::size_t dot = std::min(text.find('.', start), text.size());
        const auto part = text.substr(start, dot - start);
        if (part.size() > 5 || !AllDigits(part))
            return false;
        if (dot == text.size())
            return parts < 4;
        start = dot + 1;
    }
}

// month/day/year of a day that exists.
bool IsInfoDate(std::string_view text) {
    const auto first = text.find('/');
    const auto second = first == std::string_view::npos ? first : text.find('/', first + 1);
    if (second == std::string_view::npos)
        return false;
    const auto month = text.substr(0, first);
    const auto day = text.substr(first + 1, second - first - 1);
    const auto year = text.substr(second + 1);
    if (month.size() > 2 || day.size() > 2 || year.size() != 4 || !AllDigits(month) ||
        !AllDigits(day) || !AllDigits(year))
        return false;
    const std::chrono::year_month_day date{std::chrono::year(std::stoi(std::string(year))),
                                           std::chrono::month(std::stoul(std::string(month))),
                                           std::chrono::day(std::stoul(std::string(day)))};
    return date.ok();
}

// A text the program would read as a directive of its own ("#url3=", "#version=", ...).
bool HoldsDirective(std::string_view text) {
    const std::string lower = AsciiLower(text);
    for (std::string_view name : {"#version=", "#date=", "#message=", "#method="}) {
        if (lower.find(name) != std::string::npos)
            return true;
    }
    for (auto at = lower.find("#url"); at != std::string::npos; at = lower.find("#url", at + 1)) {
        auto end = at + 4;
        while (end < lower.size() && std::isdigit(static_cast<unsigned char>(lower[end])))
            ++end;
        if (end < lower.size() && lower[end] == '=')
            return true;
    }
    return false;
}

// Texts that go on a directive line: nothing the program cuts at, nothing it would read as
// the end of a file entry's address or as another directive.
void CheckDirectiveText(std::string_view text, const std::string& where, bool isAddress) {
    if (text.empty() || HasControlOrEdgeBlank(text) || text.find('#') != std::string_view::npos ||
        (isAddress && text.find_first_of(" =") != std::string_view::npos))
        throw JsonFieldError(where + ": empty, or with blanks, control characters, \"#\"" +
                             (isAddress ? " or \"=\"" : ""));
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool IsTransferAddress(std::string_view text) {
    return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://");
}

std::string CodePageMessage(const std::string& utf8) {
    const std::u16string message = Utf8ToUtf16(utf8);
    const std::string bytes = Utf16ToCodePage(message);
    if (CodePageToUtf16(bytes) != message)
        throw JsonFieldError("message: a character outside the Windows-1252 code page");
    if (utf8.find('}') != std::string::npos || HoldsDirective(utf8))
        throw JsonFieldError("message: \"}\" or a directive (\"#url=\", ...) inside");
    return bytes;
}

std::string MethodDigit(const std::string& method) {
    if (method.empty() || method == "self")
        return "";
    if (method == "external-setup")
        return "1";
    if (method == "redirect")
        return "2";
    throw JsonFieldError("method: one of \"self\", \"external-setup\", \"redirect\"");
}

// The URL list file: one address per line, each one the program opens.
ReleaseFile UrlListFile(const std::vector<std::string>& addresses) {
    if (addresses.empty())
        throw JsonFieldError("urlList: at least one address is needed");
    std::string text;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        const auto& address = addresses[i];
        const bool opened =
            StartsWithNoCase(address, "www") || StartsWithNoCase(address, "http://") ||
            StartsWithNoCase(address, "https://") || StartsWithNoCase(address, "ftp://");
        const bool ascii = std::all_of(address.begin(), address.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (!opened || !ascii || HasControlOrEdgeBlank(address))
            throw JsonFieldError("urlList[" + std::to_string(i) +
                                 "]: not an address the program opens");
        text += address + "\r\n";
    }
    return {std::string(kUrlListName), "", "", std::make_shared<const std::string>(text),
            "text/plain"};
}

std::shared_ptr<const std::string> ReadSource(const fs::path& folder, const std::string& source,
                                              const std::string& where) {
    const fs::path relative = fs::path(source).lexically_normal();
    if (source.empty() || relative.is_absolute() || *relative.begin() == "..")
        throw JsonFieldError(where + ".source: not a path inside the release file's folder");
    const fs::path path = folder / relative;
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error || size > kMaxServedFileBytes)
        throw JsonFieldError(where + ".source: " + path.string() +
                             (error ? ": " + error.message() : ": larger than 64 MiB"));
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in)
        throw JsonFieldError(where + ".source: " + path.string() + " cannot be read");
    return std::make_shared<const std::string>(std::move(bytes).str());
}

bool IsFileName(std::string_view name) {
    return !name.empty() && name.front() != '.' && name.size() <= 128 &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' ||
                      c == '_';
           });
}

ReleaseFile ReadFile(const json& entry, const fs::path& folder, const std::string& at) {
    ReleaseFile file;
    file.localPath = OptionalTextField(entry, "localPath", at);
    if (!file.localPath.empty())
        CheckDirectiveText(file.localPath, at + ".localPath", false);
    if (entry.contains("url")) {
        file.url = TextField(entry, "url", at);
        CheckDirectiveText(file.url, at + ".url", true);
        if (!IsTransferAddress(file.url))
            throw JsonFieldError(at + ".url: an http:// or https:// address is needed");
        return file;
    }
    file.name = TextField(entry, "name", at);
    if (!IsFileName(file.name) || file.name == kUrlListName)
        throw JsonFieldError(at +
                             ".name: letters, digits, \".\", \"-\" and \"_\" only, and not \"" +
                             std::string(kUrlListName) + "\"");
    file.contents = ReadSource(folder, TextField(entry, "source", at), at);
    file.contentType = "application/octet-stream";
    return file;
}

}  // namespace

std::variant<Release, std::string> ParseRelease(std::string_view text, const fs::path& folder) {
    try {
        const json root = json::parse(text);
        Release release;
        release.version = TextField(root, "version", "release");
        if (!IsVersion(release.version))
            throw JsonFieldError("version: up to four dotted numbers");
        release.date = OptionalTextField(root, "date", "release");
        if (!release.date.empty() && !IsInfoDate(release.date))
            throw JsonFieldError("date: month/day/year of a day that exists");
        release.method = MethodDigit(OptionalTextField(root, "method", "release"));
        release.message = CodePageMessage(OptionalTextField(root, "message", "release"));
        release.publicAddress = OptionalTextField(root, "publicAddress", "release");
        if (!release.publicAddress.empty()) {
            CheckDirectiveText(release.publicAddress, "publicAddress", true);
            if (!IsTransferAddress(release.publicAddress) || release.publicAddress.back() == '/')
                throw JsonFieldError(
                    "publicAddress: http:// or https:// and a host, no \"/\" at the end");
        }

        release.files.push_back(UrlListFile(TextListField(root, "urlList", "release")));
        if (root.contains("files")) {
            const json& files = root["files"];
            if (!files.is_array())
                throw JsonFieldError("files: not a list");
            for (std::size_t i = 0; i < files.size(); ++i) {
                ReleaseFile file = ReadFile(files[i], folder, "files[" + std::to_string(i) + "]");
                if (!file.name.empty() && FindServedFile(release, file.name) != nullptr)
                    throw JsonFieldError("files[" + std::to_string(i) + "].name: appears twice");
                release.files.push_back(std::move(file));
            }
        }
        return release;
    } catch (const json::exception& error) {
        return std::string("not JSON: ") + error.what();
    } catch (const JsonFieldError& error) {
        return std::string(error.what());
    }
}

std::string InfoFileText(const Release& release, std::string_view base) {
    std::string text = "#version=" + release.version + "\r\n";
    if (!release.date.empty())
        text += "#date=" + release.date + "\r\n";
    if (!release.method.empty())
        text += "#method=" + release.method + "\r\n";
    // Numbered from 1 without a plain "#url", so that every entry is looked up.
    for (std::size_t i = 0; i < release.files.size(); ++i) {
        const ReleaseFile& file = release.files[i];
        text += "#url" + std::to_string(i + 1) + "=";
        text +=
            file.name.empty() ? file.url : std::string(base) + std::string(kFilesPath) + file.name;
        if (!file.localPath.empty())
            text += "=" + file.localPath;
        text += "\r\n";
    }
    if (!release.message.empty())
        text += "#message={" + release.message + "}\r\n";
    return text;
}

const ReleaseFile* FindServedFile(const Release& release, std::string_view name) {
    for (const auto& file : release.files) {
        if (!file.name.empty() && file.name == name)
            return &file;
    }
    return nullptr;
}

std::string BaseFromHost(std::string_view host) {
    const bool valid =
        !host.empty() && host.size() <= 255 && std::all_of(host.begin(), host.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' ||
                   c == ':' || c == '[' || c == ']';
        });
    return valid ? "http://" + std::string(host) : std::string();
}

}  // namespace quendra
