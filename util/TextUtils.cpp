#include "util/TextUtils.h"

#include "util/TextRules.h"

namespace quendra {

std::u16string PercentEncode(std::u16string_view text) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string result;
    result.reserve(text.size());
    for (const char16_t c : text) {
        const bool special =
            c == u' ' || c == u'#' || c == u'%' || c == u'*' || c == u'+' || c == u'<' || c == u'>';
        if (c < 0x20 || special) {
            result += u'%';
            result += kHex[(c >> 4) & 0xF];
            result += kHex[c & 0xF];
        } else if (c >= 0x20AC) {
            result += u'%';
            result += kHex[(c >> 12) & 0xF];
            result += kHex[(c >> 8) & 0xF];
            result += kHex[(c >> 4) & 0xF];
            result += kHex[c & 0xF];
        } else {
            result += c;
        }
    }
    return result;
}

void SplitToList(std::u16string_view text, std::u16string_view separator,
                 std::vector<std::u16string>& list) {
    for (auto& line : SplitLines(ReplaceAllNoCase(text, separator, u"\n"))) {
        list.push_back(std::move(line));
    }
}

bool IsWebAddress(std::u16string_view text) {
    if (text.size() < 7)
        return false;
    const std::u16string lower = AsciiLower(text.substr(0, 8));  // the longest prefix
    for (std::u16string_view prefix : {u"http://", u"ftp://", u"https://", u"www."}) {
        if (lower.starts_with(prefix))
            return true;
    }
    return false;
}

}  // namespace quendra
