#include "util/Charset.h"

#include "util/SystemCharsetConverter.h"
#include "util/TextRules.h"
#include "util/Unicode.h"

namespace quendra {
namespace {

bool IsOneOf(std::string_view lower, std::initializer_list<std::string_view> names) {
    for (const auto n : names) {
        if (lower == n)
            return true;
    }
    return false;
}

// Only plain set names reach the converter: no "//" suffixes or other option syntax.
bool IsPlainName(std::string_view name) {
    if (name.empty() || name.size() > 64)
        return false;
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
        if (!ok)
            return false;
    }
    return true;
}

}  // namespace

std::optional<std::u16string> DecodeCharset(std::string_view bytes, std::string_view name) {
    const std::string lower = AsciiLower(name);
    if (IsOneOf(lower, {"windows-1252", "cp1252", "x-cp1252"}))
        return CodePageToUtf16(bytes);
    if (IsOneOf(lower, {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "l1"})) {
        return Latin1ToUtf16(bytes);
    }
    if (IsOneOf(lower, {"utf-8", "utf8"}))
        return Utf8ToUtf16(bytes);
    if (!IsPlainName(lower))
        return std::nullopt;
    return DecodeWithSystemConverter(bytes, lower);
}

}  // namespace quendra
