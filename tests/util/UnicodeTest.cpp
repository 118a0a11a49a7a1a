#include "util/Unicode.h"

#include <gtest/gtest.h>

namespace {

using namespace quendra;

TEST(Unicode, Utf8RoundTrip) {
    const std::u16string text = u"a\u00E9\u20AC\U0001F600";
    EXPECT_EQ(Utf16ToUtf8(text), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

TEST(Unicode, BadSequencesBecomeReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");  // truncated at the end
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"
                          "a"),
              u"\uFFFDa");                                // truncated in the middle
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");        // overlong
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");    // encoded surrogate
    EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // unpaired surrogate
}

TEST(Unicode, SystemCodePage) {
    EXPECT_EQ(CodePageToUtf16("\xAE\x99\x80\xE9\x81"), u"\u00AE\u2122\u20AC\u00E9\u0081");
    EXPECT_EQ(Utf16ToCodePage(u"\u00AE\u2122\u20AC\u00E9\u0081"), "\xAE\x99\x80\xE9\x81");
    EXPECT_EQ(Utf16ToCodePage(u"\u0100\u0080"), "??");
    EXPECT_EQ(Latin1ToUtf16("\x80\xFF"), u"\u0080\u00FF");
}

}  // namespace
