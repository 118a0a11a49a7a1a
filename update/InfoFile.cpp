#include "update/InfoFile.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <unordered_map>

#include "update/UrlParts.h"
#include "util/TextRules.h"
#include "util/Unicode.h"

namespace quendra {
namespace {

constexpr std::u16string_view kUrl = u"#url";

// The text and its lower-cased copy (ASCII letters only, so positions agree), with the
// first position of every numbered "#url<n>=" found in one pass.
class InfoText {
public:
    explicit InfoText(std::u16string_view text) : text_(text), lowered_(AsciiLower(text)) {
        for (auto at = lowered_.find(kUrl); at != std::u16string::npos;
             at = lowered_.find(kUrl, at + 1)) {
            auto end = at + kUrl.size();
            while (end < lowered_.size() && lowered_[end] >= u'0' && lowered_[end] <= u'9')
                ++end;
            if (end == at + kUrl.size() || end >= lowered_.size() || lowered_[end] != u'=')
                continue;
            numbered_.try_emplace(lowered_.substr(at + kUrl.size(), end - at - kUrl.size()),
                                  end + 1);
        }
    }

    std::u16string Value(std::u16string_view key, bool isBlock,
                         std::u16string_view fallback = {}) const {
        std::u16string needle = AsciiLower(key) + u"=";
        if (isBlock)
            needle += u'{';
        const auto at = lowered_.find(needle);
        return ValueFrom(at == std::u16string::npos ? at : at + needle.size(), isBlock, fallback);
    }

    // "#url" followed by `number` in decimal.
    std::u16string NumberedUrl(std::uint64_t number) const {
        const auto digits = Utf8ToUtf16(std::to_string(number));
        const auto found = numbered_.find(digits);
        return ValueFrom(found == numbered_.end() ? std::u16string::npos : found->second, false,
                         {});
    }

private:
    std::u16string ValueFrom(std::size_t start, bool isBlock, std::u16string_view fallback) const {
        std::u16string value;
        const std::size_t end = text_.size() >= 2 ? text_.size() - 2 : 0;
        if (start != std::u16string::npos && start < end) {
            std::size_t cut = start;
            if (isBlock) {
                while (cut < end && text_[cut] != u'}')
                    ++cut;
            } else {
                while (cut < end && text_[cut] >= 32)
                    ++cut;
            }
            value = text_.substr(start, cut - start);
        }
        if (value.empty())
            value = fallback;
        return value;
    }

    std::u16string_view text_;
    std::u16string lowered_;
    std::unordered_map<std::u16string, std::size_t> numbered_;
};

// Optional sign and decimal digits that fit 32 bits; -1 for anything else.
std::int64_t StrToIntDef(std::u16string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return -1;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return -1;
        value = value * 10 + (text[i] - u'0');
        if (value > 2147483648LL)
            return -1;
    }
    value = negative ? -value : value;
    if (value > 2147483647LL)
        return -1;
    return value;
}

std::array<std::u16string, 4> VersionParts(std::u16string_view version) {
    std::u16string rest(version);
    rest += u'.';
    std::array<std::u16string, 4> parts;
    for (auto& part : parts) {
        const auto dot = rest.find(u'.');
        if (dot == std::u16string::npos) {
            part = u"0";
            continue;
        }
        part = rest.substr(0, dot);
        rest.erase(0, dot + 1);
    }
    return parts;
}

struct Macro {
    std::u16string_view name;
    std::u16string UpdateFolders::*folder;  // null: a folder only Windows has
};

constexpr std::array<Macro, 12> kMacros = {{
    {u"%current%", &UpdateFolders::AppFolder},
    {u"%desktop%", &UpdateFolders::Desktop},
    {u"%mydocuments%", &UpdateFolders::Documents},
    {u"%mypictures%", &UpdateFolders::Pictures},
    {u"%appdata%", &UpdateFolders::AppData},
    {u"%programfiles%", nullptr},
    {u"%windows%", nullptr},
    {u"%system%", nullptr},
    {u"%temp%", &UpdateFolders::TempFolder},
    {u"%help%", nullptr},
    {u"%media%", nullptr},
    {u"%cursors%", nullptr},
}};

std::u16string WithSlash(std::u16string folder) {
    if (folder.empty() || folder.back() != u'/')
        folder += u'/';
    return folder;
}

}  // namespace

std::u16string GetInfoValue(std::u16string_view text, std::u16string_view key, bool isBlock,
                            std::u16string_view fallback) {
    return InfoText(text).Value(key, isBlock, fallback);
}

InfoFileContents ParseInfoFile(std::string_view bytes, const InfoFileSettings& settings) {
    const std::u16string text = CodePageToUtf16(bytes);
    const InfoText info(text);
    InfoFileContents contents;

    if (auto entry = info.Value(u"#url", false); !entry.empty())
        contents.Files.push_back(std::move(entry));
    if (auto entry = info.Value(u"#url0", false); !entry.empty())
        contents.Files.push_back(std::move(entry));
    for (std::uint64_t n = contents.Files.size() + 1;; ++n) {
        auto entry = info.NumberedUrl(n);
        if (entry.empty())
            break;
        contents.Files.push_back(std::move(entry));
    }

    if (settings.VersionControl == TupAutoUpdaterVersionControl::byNumber) {
        contents.Newer =
            CompareVersions(info.Value(u"#version", false), settings.VersionNumber) == 1;
    } else {
        contents.Newer = StrToInfoDate(info.Value(u"#date", false), settings.Today) >
                         StrToInfoDate(settings.VersionDate, settings.Today);
    }

    if (contents.Newer && !contents.Files.empty()) {
        contents.UpgradeMsg = info.Value(u"#message", true);
        const auto method = info.Value(u"#method", false);
        if (method.starts_with(u'1')) {
            contents.UpgradeMethod = TupUpgradeMethod::umUseExternalSetup;
        } else if (method.starts_with(u'2')) {
            contents.UpgradeMethod = TupUpgradeMethod::umRedirectToURL;
        }
    }
    return contents;
}

int CompareVersions(std::u16string_view a, std::u16string_view b) {
    const auto partsA = VersionParts(a);
    const auto partsB = VersionParts(b);
    for (std::size_t i = 0; i < partsA.size(); ++i) {
        const auto numberA = StrToIntDef(partsA[i]);
        const auto numberB = StrToIntDef(partsB[i]);
        if (numberA == -1 || numberB == -1) {
            const int order = a.compare(b);
            return order < 0 ? -1 : (order > 0 ? 1 : 0);
        }
        if (numberA != numberB)
            return numberA > numberB ? 1 : -1;
    }
    return 0;
}

TDateTime StrToInfoDate(std::u16string_view text, TDateTime today) {
    const auto first = text.find(u'/');
    if (first == std::u16string_view::npos)
        return today;
    const auto second = text.find(u'/', first + 1);
    if (second == std::u16string_view::npos)
        return today;
    const auto month = StrToIntDef(text.substr(0, first));
    const auto day = StrToIntDef(text.substr(first + 1, second - first - 1));
    const auto year = StrToIntDef(text.substr(second + 1));
    const auto date =
        EncodeDateTime(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
    return date.value_or(today);
}

std::u16string InfoDateToStr(TDateTime date) {
    const CalendarDate calendar = DecodeDate(date);
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", calendar.month, calendar.day, calendar.year);
    return Utf8ToUtf16(text);
}

TDateTime Today() {
    return std::floor(Now());
}

std::u16string ExpandPathMacros(std::u16string_view path, bool prefixRelative,
                                const UpdateFolders& folders) {
    std::u16string result(path);
    for (const Macro& macro : kMacros) {
        if (FindNoCase(result, macro.name) == std::u16string::npos)
            continue;
        if (macro.folder == nullptr)
            return {};
        result = ReplaceAllNoCase(result, macro.name, WithSlash(folders.*macro.folder));
    }
    for (char16_t& c : result) {
        if (c == u'\\')
            c = u'/';
    }
    if (prefixRelative && !result.empty() && result.front() != u'/')
        result = WithSlash(folders.DownloadFolder) + result;
    return result;
}

std::vector<std::u16string> BaseFolders(const UpdateFolders& folders) {
    std::vector<std::u16string> bases;
    for (const auto* folder :
         {&folders.DownloadFolder, &folders.AppFolder, &folders.TempFolder, &folders.Desktop,
          &folders.Documents, &folders.Pictures, &folders.AppData}) {
        if (!folder->empty())
            bases.push_back(WithSlash(*folder));
    }
    return bases;
}

std::optional<std::u16string> ContainedPath(std::u16string_view path,
                                            const std::vector<std::u16string>& baseFolders) {
    if (path.empty() || path.front() != u'/')
        return std::nullopt;
    for (const char16_t c : path) {
        if (c < 0x20)
            return std::nullopt;
    }
    std::vector<std::u16string_view> segments;
    std::size_t pos = 0;
    while (pos < path.size()) {
        const auto slash = path.find(u'/', pos);
        const auto end = slash == std::u16string_view::npos ? path.size() : slash;
        const auto segment = path.substr(pos, end - pos);
        if (segment == u"..") {
            if (segments.empty())
                return std::nullopt;
            segments.pop_back();
        } else if (!segment.empty() && segment != u".") {
            segments.push_back(segment);
        }
        pos = end + 1;
    }
    std::u16string normalized;
    for (const auto segment : segments) {
        normalized += u'/';
        normalized += segment;
    }
    for (const auto& base : baseFolders) {
        if (normalized.size() > base.size() && normalized.starts_with(base))
            return normalized;
    }
    return std::nullopt;
}

std::u16string FileNameFromURL(std::u16string_view url) {
    std::string address = Utf16ToUtf8(url);
    if (address.find("://") == std::string::npos)
        address = "http://" + address;
    const auto parts = CrackUrl(address);
    if (!parts)
        return {};
    const auto separator = parts->path.find_last_of("/\\:");
    const auto name = separator == std::string::npos
                          ? std::string_view(parts->path)
                          : std::string_view(parts->path).substr(separator + 1);
    return Utf8ToUtf16(name);
}

void ForceFolders(std::u16string_view path, const std::vector<std::u16string>& baseFolders) {
    const auto folderEnd = path.rfind(u'/');
    if (folderEnd == std::u16string_view::npos)
        return;
    for (auto slash = path.find(u'/', 1); slash != std::u16string_view::npos && slash <= folderEnd;
         slash = path.find(u'/', slash + 1)) {
        const std::u16string folder(path.substr(0, slash + 1));
        bool inside = false;
        for (const auto& base : baseFolders)
            inside = inside || folder.starts_with(base);
        if (!inside)
            continue;
        std::error_code ignored;
        std::filesystem::create_directory(std::filesystem::path(Utf16ToUtf8(folder)), ignored);
    }
}

}  // namespace quendra
