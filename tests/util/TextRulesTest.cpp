#include "util/TextRules.h"

#include <gtest/gtest.h>

#include "util/ByteOrder.h"

namespace {

using namespace quendra;

TEST(TextRules, TrimRemovesControlsAndBlanksOnly) {
    EXPECT_EQ(Trim(u" \t\r\n\x01 a b \x1F "), u"a b");
    EXPECT_EQ(Trim(u"   "), u"");
    EXPECT_EQ(Trim(u"\u00A0x\u00A0"), u"\u00A0x\u00A0");
}

TEST(TextRules, CaseRulesTouchAsciiOnly) {
    EXPECT_EQ(AsciiLower(u"DVD+-RW Drive \u00C9"), u"dvd+-rw drive \u00C9");
    EXPECT_EQ(AsciiUpper(u"xr-22a \u00E9"), u"XR-22A \u00E9");
    EXPECT_TRUE(EqualsNoCase(std::u16string_view(u"WinNT"), u"WINNT"));
    EXPECT_FALSE(EqualsNoCase(std::u16string_view(u"WinNT"), u"WINNT4"));
}

TEST(TextRules, ReplaceAllNoCase) {
    EXPECT_EQ(ReplaceAllNoCase(u"a<#Model>b<#MODEL>", u"<#model>", u"X"), u"aXbX");
    EXPECT_EQ(ReplaceAllNoCase(u"aaa", u"aa", u"b"), u"ba");
    EXPECT_EQ(ReplaceAllNoCase(u"Windows Vista (TM) Home", u"(tm) ", u""), u"Windows Vista Home");
    EXPECT_EQ(ReplaceAllNoCase(u"abc", u"", u"x"), u"abc");
    EXPECT_EQ(FindNoCase(u"abc", u"C"), 2u);
    EXPECT_EQ(FindNoCase(u"abc", u"abcd"), std::u16string_view::npos);
}

TEST(TextRules, SplitLines) {
    using Lines = std::vector<std::u16string>;
    EXPECT_EQ(SplitLines(u""), Lines{});
    EXPECT_EQ(SplitLines(u"a\r\nb\rc\nd"), (Lines{u"a", u"b", u"c", u"d"}));
    EXPECT_EQ(SplitLines(u"a\n"), (Lines{u"a"}));
    EXPECT_EQ(SplitLines(u"\n\n"), (Lines{u"", u""}));
    EXPECT_EQ(SplitLines(u"a\n\r\nb"), (Lines{u"a", u"", u"b"}));
    EXPECT_EQ(SplitLines(std::u16string_view(u"a\0b", 3)), (Lines{u"a"}));
}

TEST(ByteOrder, BigEndianAndBounds) {
    const std::uint8_t data[] = {0x1A, 0x90, 0x00, 0x70};
    EXPECT_EQ(ReadBE16(data, 0), 0x1A90);
    EXPECT_EQ(ReadBE32(data, 0), 0x1A900070u);
    EXPECT_EQ(ReadBE16(data, 3), 0x7000);  // the missing byte reads as 0
    EXPECT_EQ(ReadBE16(data, 10), 0);
    std::uint8_t out[4] = {};
    WriteBE16(out, 2, 0x0070);
    EXPECT_EQ(out[2], 0x00);
    EXPECT_EQ(out[3], 0x70);
    WriteBE16(out, 3, 0xFFFF);  // would cross the end: ignored
    EXPECT_EQ(out[3], 0x70);
}

}  // namespace
