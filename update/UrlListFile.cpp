#include "update/UrlListFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "util/TextRules.h"
#include "util/Unicode.h"

namespace quendra {
namespace {

constexpr std::u16string_view kListName = u"urls-qndr.txt";

std::u16string Utf16Bytes(std::string_view bytes, bool bigEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

}  // namespace

bool IsUrlListFile(std::u16string_view fileName) {
    const auto separator = fileName.find_last_of(u"/\\:");
    const auto name =
        separator == std::u16string_view::npos ? fileName : fileName.substr(separator + 1);
    return AsciiLower(name).find(kListName) != std::u16string::npos;
}

bool IsUrlListAddress(std::u16string_view fileURL) {
    return AsciiLower(fileURL).find(kListName) != std::u16string::npos;
}

std::vector<std::u16string> UrlListLines(std::string_view bytes) {
    std::u16string text;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        text = Utf8ToUtf16(bytes.substr(3));
    } else if (bytes.starts_with("\xFF\xFE")) {
        text = Utf16Bytes(bytes.substr(2), false);
    } else if (bytes.starts_with("\xFE\xFF")) {
        text = Utf16Bytes(bytes.substr(2), true);
    } else {
        text = CodePageToUtf16(bytes);
    }
    // Lines end at CR LF, CR or LF; a NUL is an ordinary (blank) character here.
    std::vector<std::u16string> lines;
    std::u16string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

std::optional<std::vector<std::u16string>> ReadUrlListFile(std::u16string_view fileName) {
    const std::string path = Utf16ToUtf8(fileName);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    if (file.bad())
        return std::nullopt;
    return UrlListLines(bytes);
}

std::vector<std::u16string> UrlListAddresses(const std::vector<std::u16string>& lines) {
    std::vector<std::u16string> addresses;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        std::u16string trimmed = Trim(*line);
        if (trimmed.empty())
            continue;
        const std::u16string lower = AsciiLower(trimmed);
        if (lower.starts_with(u"www") || lower.starts_with(u"http://") ||
            lower.starts_with(u"https://") || lower.starts_with(u"ftp://")) {
            addresses.push_back(std::move(trimmed));
        }
    }
    return addresses;
}

}  // namespace quendra
