#include "util/TextRules.h"

#include "util/Unicode.h"

namespace quendra {
namespace {

char16_t LowerUnit(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c;
}
char16_t UpperUnit(char16_t c) {
    return (c >= u'a' && c <= u'z') ? c - (u'a' - u'A') : c;
}
char LowerByte(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

}  // namespace

std::u16string Trim(std::u16string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] <= u' ')
        ++begin;
    while (end > begin && text[end - 1] <= u' ')
        --end;
    return std::u16string(text.substr(begin, end - begin));
}

std::string Trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::u16string AsciiLower(std::u16string_view text) {
    std::u16string result(text);
    for (auto& c : result)
        c = LowerUnit(c);
    return result;
}

std::u16string AsciiUpper(std::u16string_view text) {
    std::u16string result(text);
    for (auto& c : result)
        c = UpperUnit(c);
    return result;
}

std::string AsciiLower(std::string_view text) {
    std::string result(text);
    for (auto& c : result)
        c = LowerByte(c);
    return result;
}

std::size_t FindNoCase(std::u16string_view haystack, std::u16string_view needle, std::size_t from) {
    if (needle.empty() || needle.size() > haystack.size())
        return std::u16string_view::npos;
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && LowerUnit(haystack[i + k]) == LowerUnit(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::u16string_view::npos;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerUnit(a[i]) != LowerUnit(b[i]))
            return false;
    }
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerByte(a[i]) != LowerByte(b[i]))
            return false;
    }
    return true;
}

std::u16string ReplaceAllNoCase(std::u16string_view text, std::u16string_view from,
                                std::u16string_view to) {
    if (from.empty())
        return std::u16string(text);
    std::u16string result;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = FindNoCase(text, from, pos);
        if (hit == std::u16string_view::npos)
            break;
        result.append(text.substr(pos, hit - pos));
        result.append(to);
        pos = hit + from.size();
    }
    result.append(text.substr(pos));
    return result;
}

std::vector<std::u16string> SplitLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    std::size_t i = 0;
    auto at = [&](std::size_t k) { return k < text.size() ? text[k] : u'\0'; };
    while (at(i) != u'\0') {
        const std::size_t start = i;
        while (at(i) != u'\0' && at(i) != u'\n' && at(i) != u'\r')
            ++i;
        lines.emplace_back(text.substr(start, i - start));
        if (at(i) == u'\r')
            ++i;
        if (at(i) == u'\n')
            ++i;
    }
    return lines;
}

std::u16string Decimal(std::uint64_t value) {
    return Latin1ToUtf16(std::to_string(value));
}

}  // namespace quendra
