#include "lookup/ReplyReader.h"

#include <algorithm>

#include "lookup/IniReader.h"
#include "util/Charset.h"
#include "util/TextRules.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string_view Unquote(std::string_view value) {
    if (!value.empty() && (value.front() == '"' || value.front() == '\'')) {
        const char quote = value.front();
        value.remove_prefix(1);
        return value.substr(0, value.find(quote));
    }
    return value;
}

bool IsHtml(std::string_view contentType) {
    const std::string mediaType =
        AsciiLower(TrimSpaces(contentType.substr(0, contentType.find(';'))));
    return mediaType == "text/html" || mediaType == "application/xhtml+xml";
}

// The value after "charset" and "=" at `pos` of a meta tag, ending at a quote, space,
// ";", "/" or ">".
std::optional<std::string> CharsetValueAt(std::string_view tag, std::size_t pos) {
    pos += 7;  // "charset"
    while (pos < tag.size() && tag[pos] == ' ')
        ++pos;
    if (pos >= tag.size() || tag[pos] != '=')
        return std::nullopt;
    ++pos;
    while (pos < tag.size() && (tag[pos] == ' ' || tag[pos] == '"' || tag[pos] == '\''))
        ++pos;
    const auto end = tag.find_first_of("\"' \t;/>", pos);
    const auto value = tag.substr(pos, end == std::string_view::npos ? end : end - pos);
    if (value.empty())
        return std::nullopt;
    return std::string(value);
}

}  // namespace

std::optional<std::string> CharsetOfContentType(std::string_view contentType) {
    auto rest = contentType.substr(std::min(contentType.find(';'), contentType.size()));
    while (!rest.empty()) {
        rest.remove_prefix(1);  // the ";"
        const auto parameter = rest.substr(0, rest.find(';'));
        rest.remove_prefix(parameter.size());
        const auto eq = parameter.find('=');
        if (eq == std::string_view::npos)
            continue;
        if (!EqualsNoCase(TrimSpaces(parameter.substr(0, eq)), "charset"))
            continue;
        const auto value = Unquote(TrimSpaces(parameter.substr(eq + 1)));
        if (!value.empty())
            return std::string(value);
    }
    return std::nullopt;
}

std::optional<std::string> CharsetOfHtml(std::string_view html) {
    const std::string lower = AsciiLower(html);
    // A tag runs to its ">" (or the end of the text). The search goes on after the tag, so
    // every byte is looked at a bounded number of times; a "<meta" inside a tag without
    // its own ">" would only find what the enclosing tag's search already found.
    for (auto meta = lower.find("<meta"); meta != std::string::npos;) {
        const auto tagEnd = std::min(lower.find('>', meta), lower.size());
        const std::string_view tag = std::string_view(lower).substr(meta, tagEnd - meta);
        for (auto at = tag.find("charset"); at != std::string_view::npos;
             at = tag.find("charset", at + 7)) {
            if (auto value = CharsetValueAt(tag, at))
                return value;
        }
        meta = lower.find("<meta", tagEnd);
    }
    return std::nullopt;
}

std::u16string DecodeReplyBody(std::string_view contentType, std::string_view body) {
    auto decode = [&]() -> std::u16string {
        if (const auto charset = CharsetOfContentType(contentType)) {
            if (auto text = DecodeCharset(body, *charset))
                return std::move(*text);
        }
        if (IsHtml(contentType)) {
            if (const auto charset = CharsetOfHtml(body)) {
                if (auto text = DecodeCharset(body, *charset))
                    return std::move(*text);
            }
        }
        return Latin1ToUtf16(body);
    };
    std::u16string text = decode();
    if (!text.empty() && text.front() == u'\uFEFF')
        text.erase(0, 1);
    return text;
}

std::u16string FillPlaceholders(std::u16string_view address, const ReportFields& words) {
    std::u16string filled(address);
    filled = ReplaceAllNoCase(filled, u"<#DeviceNameModel>", PercentEncode(words.FDeviceModel));
    filled = ReplaceAllNoCase(filled, u"<#DeviceNameBrand>", PercentEncode(words.FDeviceBrand));
    filled = ReplaceAllNoCase(filled, u"<#DeviceNameType>", PercentEncode(words.FDeviceType));
    filled =
        ReplaceAllNoCase(filled, u"<#DeviceNameFirmware>", PercentEncode(words.FDeviceFirmware));
    return filled;
}

std::vector<std::u16string> AddressesFromReply(std::u16string_view replyText,
                                               const ReportFields& words) {
    const IniReader reader(replyText);
    // Every occurrence of a name reads the same (last) section, so each such section is
    // read and filled in once: a reply of many repeated sections costs no more than its
    // length.
    std::vector<std::optional<std::u16string>> addressOf(reader.SectionCount());
    std::vector<bool> read(reader.SectionCount());
    std::vector<std::u16string> addresses;
    for (std::size_t i = 0; i < reader.SectionCount(); ++i) {
        const std::size_t last = reader.LastSectionNamedAs(i);
        if (!read[last]) {
            read[last] = true;
            const std::u16string_view url = reader.EntryOf(last, u"url");
            if (IsWebAddress(url))
                addressOf[last] = FillPlaceholders(url, words);
        }
        if (!addressOf[last])
            continue;
        addresses.push_back(*addressOf[last]);
        if (addresses.size() == kMaxOpenedAddresses)
            break;
    }
    return addresses;
}

}  // namespace quendra
