#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <random>
#include <string>

#include "update/HTTPDate.h"
#include "update/HTTPStatus.h"

using namespace quendra;
using std::chrono::seconds;

namespace {

TDateTime Moment(int y, int mo, int d, int h, int mi, int s) {
    return EncodeDateTime(y, mo, d, h, mi, s).value();
}

struct DateCase {
    const char* text;
    TDateTime expected;  // universal time
};

TEST(HTTPDate, ReadsEveryFormAsUniversalTime) {
    const TDateTime moment = Moment(1994, 11, 6, 8, 49, 37);
    const DateCase cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", moment},
        {"Sunday, 06-Nov-94 08:49:37 GMT", moment},
        {"Sun Nov  6 08:49:37 1994", moment},
        {"  sun, 06 nov 1994 08:49:37 gmt  ", moment},
        {"06 Nov 1994 08:49:37", moment},
        // A zone offset is taken off: 09:49:37 at +0100 is 08:49:37 universal time.
        {"Sun, 06 Nov 1994 09:49:37 +0100", moment},
        {"Sun, 06 Nov 1994 03:19:37 -0530", moment},
        // Two-digit years: below 80 in this century, from 80 in the last.
        {"Monday, 06-Nov-79 08:49:37 GMT", Moment(2079, 11, 6, 8, 49, 37)},
        {"Thursday, 06-Nov-80 08:49:37 GMT", Moment(1980, 11, 6, 8, 49, 37)},
        {"Sun, 06 Nov 1994 08:49 GMT", Moment(1994, 11, 6, 8, 49, 0)},
        {"Sun, 06 Nov 1994", Moment(1994, 11, 6, 0, 0, 0)},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(HTTPDate(c.text, seconds(0)), c.expected, 1e-9) << c.text;
    }
}

TEST(HTTPDate, ConvertsToLocalTimeWithTheCurrentOffset) {
    const TDateTime universal = Moment(1994, 11, 6, 8, 49, 37);
    EXPECT_NEAR(HTTPDate("Sun, 06 Nov 1994 08:49:37 GMT", seconds(2 * 3600)), universal + 2.0 / 24,
                1e-9);
    EXPECT_NEAR(HTTPDate("Sun, 06 Nov 1994 08:49:37 GMT", seconds(-3600)), universal - 1.0 / 24,
                1e-9);
}

TEST(HTTPDate, UnreadableTextGivesZero) {
    const char* cases[] = {
        "",
        "   \t ",
        "Sun, 06 Foo 1994 08:49:37 GMT",  // not a month
        "Sun, 31 Feb 1994 08:49:37 GMT",  // no such day
        "Sun, 06 Nov 1994 25:49:37 GMT",  // no such hour
        "Sun, 06 Nov 1994 08:xx:37 GMT",
        "Sun, 06 Nov 1994 08:49:37 +01x0",
        "Sunday",
        "garbage",
        "06 Nov",
        ":::::",
        "Nov",
    };
    for (const char* text : cases) {
        EXPECT_EQ(HTTPDate(text, seconds(0)), 0) << '"' << text << '"';
    }
}

TEST(HTTPDate, ArbitraryBytesNeverFail) {
    std::mt19937 random(42);
    const std::string alphabet = "SunMonNov0123456789 ,-:+GMT\t\xff\x80";
    for (int i = 0; i < 20000; ++i) {
        std::string text(random() % 48, ' ');
        for (char& c : text) {
            c = random() % 4 == 0 ? static_cast<char>(random() % 256)
                                  : alphabet[random() % alphabet.size()];
        }
        EXPECT_TRUE(std::isfinite(HTTPDate(text, seconds(0)))) << text;
    }
}

TEST(HttpStatusText, NamesEveryStatusNumber) {
    const std::pair<int, std::string_view> rows[] = {
        {10, "Resolving name"},     {11, "Name resolved"},          {20, "Connecting to server"},
        {21, "Connected"},          {30, "Sending Request"},        {31, "Request sent"},
        {40, "Receiving response"}, {41, "Response received"},      {42, "CTL Response received"},
        {43, "Prefetch"},           {50, "Closing connection"},     {51, "Connection closed"},
        {60, "Handle created"},     {70, "Handle closing"},         {100, "Request complete"},
        {110, "Redirect"},          {120, "Intermediate response"}, {200, "State change"},
        {999, "Unknown status"},    {0, "Unknown status"},
    };
    for (const auto& [number, text] : rows)
        EXPECT_EQ(HttpStatusText(number), text) << number;
}

}  // namespace
