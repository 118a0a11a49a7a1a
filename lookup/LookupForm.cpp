#include "lookup/LookupForm.h"

#include "util/TextRules.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

bool NeedsEscape(char32_t c) {
    switch (c) {
        case U'*':
        case U'<':
        case U'>':
        case U'#':
        case U'%':
        case U'"':
        case U'{':
        case U'}':
        case U'|':
        case U'\\':
        case U'^':
        case U'[':
        case U']':
        case U'`':
            return true;
        default:
            return c < 0x21 || c > 0x80;
    }
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::vector<std::u16string> ReportFieldLines(std::u16string_view report) {
    std::vector<std::u16string> fieldLines;
    for (const auto& line : SplitLines(report)) {
        const auto eq = line.find(u'=');
        if (eq == std::u16string::npos) {
            fieldLines.emplace_back(u"=");
        } else {
            fieldLines.push_back(line.substr(0, eq + 1) +
                                 PercentEncode(std::u16string_view(line).substr(eq + 1)));
        }
    }
    return fieldLines;
}

std::u16string EscapeFieldValue(std::u16string_view fieldLine) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    const auto eq = fieldLine.find(u'=');
    if (eq == std::u16string_view::npos)
        return std::u16string(fieldLine);
    std::u16string escaped(fieldLine.substr(0, eq + 1));
    const auto value = fieldLine.substr(eq + 1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        std::size_t units = 1;
        char32_t c = value[i];
        if (IsHighSurrogate(value[i]) && i + 1 < value.size() && IsLowSurrogate(value[i + 1])) {
            units = 2;
            c = 0x10000 + ((c - 0xD800) << 10) + (value[i + 1] - 0xDC00);
        }
        if (!NeedsEscape(c)) {
            escaped += value[i];
            continue;
        }
        for (const unsigned char byte : Utf16ToUtf8(value.substr(i, units))) {
            escaped += u'%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0xF];
        }
        i += units - 1;
    }
    return escaped;
}

std::string LookupBody(const std::vector<std::u16string>& fieldLines) {
    std::u16string text;
    if (fieldLines.size() == 1) {
        text = Trim(EscapeFieldValue(fieldLines.front()));
    } else if (fieldLines.size() > 1) {
        for (const auto& line : fieldLines)
            text += EscapeFieldValue(line) + u"\r\n";
        text = ReplaceAllNoCase(Trim(text), u"\r\n", u"&");
    }
    std::string body;
    body.reserve(text.size());
    for (const char16_t c : text)
        body += c < 0x80 ? static_cast<char>(c) : '?';
    return body;
}

}  // namespace quendra
