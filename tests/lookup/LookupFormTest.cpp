#include "lookup/LookupForm.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/lookup/SampleReport.h"

namespace {

using namespace quendra;

TEST(LookupForm, FieldLinesKeepNamesAndEncodeValues) {
    EXPECT_EQ(ReportFieldLines(u"A=b c\r\nWMVCORE Version=\rno equals sign\nK=v=w\r\n"),
              (std::vector<std::u16string>{u"A=b%20c", u"WMVCORE Version=", u"=", u"K=v=w"}));
    EXPECT_EQ(ReportFieldLines(u"A=1\nB=2"), (std::vector<std::u16string>{u"A=1", u"B=2"}));
    // A U+0000 ends the report.
    EXPECT_EQ(ReportFieldLines(std::u16string(u"A=1\0B=2", 7)),
              (std::vector<std::u16string>{u"A=1"}));
    EXPECT_TRUE(ReportFieldLines(u"").empty());
}

TEST(LookupForm, EscapesValuesASecondTime) {
    struct Case {
        std::u16string fieldLine;
        std::u16string escaped;
    };
    const Case cases[] = {
        {u"K=*<>#%\"{}|\\^[]`", u"K=%2A%3C%3E%23%25%22%7B%7D%7C%5C%5E%5B%5D%60"},
        {u"K=!$&'()+,-./:;=?@_~", u"K=!$&'()+,-./:;=?@_~"},
        {u"K=\u0080\u0081\u00E9", u"K=\u0080%C2%81%C3%A9"},
        {u"K=\x7F\x1F", u"K=\x7F%1F"},
        {u"K=\U0001F600", u"K=%F0%9F%98%80"},  // a surrogate pair is one character
        {u"K=\xD800x", u"K=%EF%BF%BDx"},       // an unpaired surrogate is no character
        {u"Name with space and %=a b", u"Name with space and %=a%20b"},
        {u"no equals sign", u"no equals sign"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeFieldValue(c.fieldLine), c.escaped);
    }
}

TEST(LookupForm, BodyJoinsTrimsAndSendsAscii) {
    struct Case {
        std::vector<std::u16string> fieldLines;
        std::string body;
    };
    const Case cases[] = {
        {{}, ""},
        {{u"\tA=1"}, "A=1"},
        {{u"A=1 "}, "A=1%20"},  // escaped before the trim
        {{u"A=1", u"B=", u"C=x&y"}, "A=1&B=&C=x&y"},
        {{u" A=1", u"B=2"}, "A=1&B=2"},
        {{u"=", u"="}, "=&="},
        {{u"A=\u0080", u"\u00E9=1"}, "A=?&?=1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LookupBody(c.fieldLines), c.body);
    }
}

TEST(LookupForm, BodyOfACompleteReport) {
    std::string expected;
    for (const auto& line : SampleReportLines()) {
        expected += (expected.empty() ? "" : "&") + line.wire;
    }
    const std::string body = LookupBody(ReportFieldLines(SampleReport()));
    EXPECT_EQ(body, expected);
    // 54 separators, plus the two "&" inside values.
    EXPECT_EQ(std::count(body.begin(), body.end(), '&'), 56);
    EXPECT_NE(body.back(), '&');
}

}  // namespace
