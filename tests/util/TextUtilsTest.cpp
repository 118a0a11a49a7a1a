#include "util/TextUtils.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

using namespace quendra;

TEST(PercentEncode, EscapesByTable) {
    struct Case {
        std::u16string in;
        std::u16string out;
    };
    const Case cases[] = {
        {u"", u""},
        {u" +\u00E9\u20AC&", u"%20%2B\u00E9%20AC&"},
        {u"\n", u"%0A"},
        {u"\r\x01\x1F", u"%0D%01%1F"},
        {u"#%*<>", u"%23%25%2A%3C%3E"},
        {u"!\"&=/?:~\x7F", u"!\"&=/?:~\x7F"},
        {u"\u00FF\u0100\u20AB", u"\u00FF\u0100\u20AB"},
        {u"\u20AC\uFFFF", u"%20AC%FFFF"},
        // A character beyond the basic plane: each surrogate unit separately.
        {u"\U0001F600", u"%D83D%DE00"},
        {u"ACME XR-22", u"ACME%20XR-22"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PercentEncode(c.in), c.out);
    }
}

TEST(SplitToList, SeparatorsAndLineBreaks) {
    struct Case {
        std::u16string text;
        std::u16string separator;
        std::vector<std::u16string> items;
    };
    const Case cases[] = {
        {u"A  B ", u" ", {u"A", u"", u"B"}},
        {u" A", u" ", {u"", u"A"}},
        {u"", u" ", {}},
        {u"A", u" ", {u"A"}},
        {u"AxBXC", u"x", {u"A", u"B", u"C"}},
        {u"oneANDtwoandthree", u"and", {u"one", u"two", u"three"}},
        {u"A B\r\nC\rD\nE", u" ", {u"A", u"B", u"C", u"D", u"E"}},
        {u"A B\0C D"s, u" ", {u"A", u"B"}},
        {u"A B", u"", {u"A B"}},
    };
    for (const auto& c : cases) {
        std::vector<std::u16string> list;
        SplitToList(c.text, c.separator, list);
        EXPECT_EQ(list, c.items);
    }
}

TEST(SplitToList, AppendsAfterExistingItems) {
    std::vector<std::u16string> list{u"x", u"y"};
    SplitToList(u"A B", u" ", list);
    EXPECT_EQ(list, (std::vector<std::u16string>{u"x", u"y", u"A", u"B"}));
}

TEST(IsWebAddress, PrefixesAndLength) {
    struct Case {
        std::u16string text;
        bool address;
    };
    const Case cases[] = {
        {u"HTTP://", true},
        {u"www.a.b", true},
        {u"www.ab", false},
        {u"ftp:/host/file", false},
        {u" http://host", false},
        {u"ftp://host", true},
        {u"https://host", true},
        {u"WWW.HOST.EXAMPLE", true},
        {u"\"http://host\"", false},
        {u"mailto:someone", false},
        {u"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsWebAddress(c.text), c.address) << std::string(c.text.begin(), c.text.end());
    }
}

}  // namespace
