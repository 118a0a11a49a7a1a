#include "util/Charset.h"

#include <gtest/gtest.h>

namespace {

using namespace quendra;

TEST(Charset, DecodesByName) {
    struct Case {
        const char* charset;
        std::string bytes;
        std::optional<std::u16string> text;
    };
    const Case cases[] = {
        {"UTF-8", "caf\xC3\xA9 \xE2\x82\xAC", u"caf\u00E9 \u20AC"},
        {"utf8", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"utf-8",
         "a\xFF"
         "b",
         u"a\uFFFD"
         "b"},
        {"ISO-8859-1", "\x80\xE9", u"\u0080\u00E9"},
        {"latin1", "\xFF", u"\u00FF"},
        // The code-page table keeps the five bytes the set leaves undefined.
        {"Windows-1252", "\x80\x81\x99", u"\u20AC\u0081\u2122"},
        {"windows-1251", "\xC4\xE8\xF1\xEA", u"\u0414\u0438\u0441\u043A"},
        {"windows-1251", "a\x98z", u"a\uFFFDz"},  // a byte the set leaves undefined
        {"KOI8-R", "\xE4\xC9", u"\u0414\u0438"},
        {"ISO-8859-5", "\xB4", u"\u0414"},
        {"UTF-16LE", std::string("A\0\x14\x04", 4), u"A\u0414"},
        {"us-ascii", "a\xE9z", u"a\uFFFDz"},
        // Shift_JIS: a lead byte cut off at the end.
        {"Shift_JIS", "\x82\xA0\x82", u"\u3042\uFFFD"},
        {"no-such-charset", "abc", std::nullopt},
        {"utf-8//IGNORE", "abc", std::nullopt},
        {"", "abc", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeCharset(c.bytes, c.charset), c.text) << c.charset;
    }
}

TEST(Charset, DecodesLongTextsAcrossBlocks) {
    std::string bytes;
    std::u16string expected;
    for (int i = 0; i < 5000; ++i) {
        bytes += "\xC4\xFF";
        expected += u"\u0414\u044F";
    }
    EXPECT_EQ(DecodeCharset(bytes, "windows-1251"), expected);
}

}  // namespace
