// The reply from bytes to the addresses to open: decoding by character set, the INI-style
// reader's rules, the `url` entry, the address test and the placeholders.
#include "lookup/ReplyReader.h"

#include <gtest/gtest.h>

#include "lookup/IniReader.h"
#include "util/TextRules.h"

namespace {

using namespace quendra;

using Addresses = std::vector<std::u16string>;

// Bytes of a literal, embedded NULs included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

ReportFields Words(std::u16string brand, std::u16string type, std::u16string model,
                   std::u16string firmware) {
    ReportFields words;
    words.FDeviceBrand = std::move(brand);
    words.FDeviceType = std::move(type);
    words.FDeviceModel = std::move(model);
    words.FDeviceFirmware = std::move(firmware);
    return words;
}

TEST(ReplyReader, AddressesFromReplies) {
    const ReportFields acme = Words(u"ACME", u"dvd+-rw drive", u"XR 22", u"1.02");
    struct Case {
        const char* name;
        std::string contentType;
        std::string body;
        Addresses expected;
    };
    const Case cases[] = {
        {"two sections, in reply order",
         "text/html",
         "[drivers]\r\nurl=http://drivers.example/a\r\n[firmware]\r\nurl=ftp://files.example/b\r\n",
         {u"http://drivers.example/a", u"ftp://files.example/b"}},
        {"a repeated section name reads its last occurrence each time",
         "",
         "[page]\nurl=http://first.example/\n[PAGE]\nurl=http://second.example/\n",
         {u"http://second.example/", u"http://second.example/"}},
        {"entry name and placeholder in any case, value trimmed, word escaped",
         "",
         "[s]\n  URL =   www.example.test/drivers/<#devicenametype>  \n",
         {u"www.example.test/drivers/dvd%2B-rw%20drive"}},
        {"all four placeholders, each occurrence",
         "",
         "[s]\nurl=http://x.example/<#DeviceNameBrand>/<#DEVICENAMEMODEL>/<#DeviceNameType>/"
         "<#DeviceNameFirmware>?m=<#DeviceNameModel>\n",
         {u"http://x.example/ACME/XR%2022/dvd%2B-rw%20drive/1.02?m=XR%2022"}},
        {"skipped values",
         "",
         "url=http://before.any.section/\n"
         "[short]\nurl=www.ab\n"
         "[quoted]\nurl=\"http://quoted.example/\"\n"
         "[none]\nlink=http://no.url.entry/\n"
         "[comment]\n;url=http://commented.example/\n"
         "[bare]\nhttp://line.without.equals/\n"
         "[empty]\nurl=\n"
         "[mail]\nurl=mailto:someone@example\n"
         "[ok]\nurl=HTTPS://ok.example/\n",
         {u"HTTPS://ok.example/"}},
        {"the last entry of a name wins",
         "",
         "[s]\nurl=http://one.example/\nurl=http://two.example/",
         {u"http://two.example/"}},
        {"section names trimmed, lines cut at CR, LF and CR LF",
         "",
         "[  a  ]\rurl=http://a.example/\n[b]\r\nurl=http://b.example/\r[]\nurl=http://c.example/",
         {u"http://a.example/", u"http://b.example/", u"http://c.example/"}},
        {"a NUL ends the text",
         "",
         Bytes("[a]\nurl=http://a.example/\n\0[b]\nurl=http://b.example/\n"),
         {u"http://a.example/"}},
        {"empty reply", "text/html", "", {}},
        {"HTML error page",
         "text/html; charset=iso-8859-1",
         "<!DOCTYPE html>\n<html><head><title>500 Internal Server Error</title></head>\n"
         "<body><h1>Internal Server Error</h1>\n[not a section] url=http://x.example/\n"
         "</body></html>\n",
         {}},
        {"declared charset windows-1251",
         "text/plain; charset=\"windows-1251\"",
         "[ru]\nurl=http://x.example/\xC4\xE8\xF1\xEA\n",
         {u"http://x.example/\u0414\u0438\u0441\u043A"}},
        {"declared charset UTF-8 with a byte-order mark",
         "text/plain;CHARSET=UTF-8",
         "\xEF\xBB\xBF[fr]\nurl=http://x.example/caf\xC3\xA9\n",
         {u"http://x.example/caf\u00E9"}},
        {"undecodable byte",
         "text/plain; charset=utf-8",
         "[s]\nurl=http://x.example/\xFF\n",
         {u"http://x.example/\uFFFD"}},
        {"HTML meta charset",
         "text/html",
         "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
         "charset=windows-1251\"></head></html>\n[s]\nurl=http://x.example/\xC4\n",
         {u"http://x.example/\u0414"}},
        {"HTML5 meta charset",
         "text/html",
         "<META CHARSET=utf-8>\n[s]\nurl=http://x.example/\xC3\xA9\n",
         {u"http://x.example/\u00E9"}},
        {"meta charset outside HTML is not read",
         "text/plain",
         "<meta charset=utf-8>\n[s]\nurl=http://x.example/\xC3\xA9\n",
         {u"http://x.example/\u00C3\u00A9"}},
        {"no charset: byte for byte",
         "",
         "[s]\nurl=http://x.example/\xE9\x80\n",
         {u"http://x.example/\u00E9\u0080"}},
        {"unknown charset: byte for byte",
         "text/plain; charset=x-unknown",
         "[s]\nurl=http://x.example/\xE9\n",
         {u"http://x.example/\u00E9"}},
    };
    for (const auto& c : cases) {
        const auto text = DecodeReplyBody(c.contentType, c.body);
        EXPECT_EQ(AddressesFromReply(text, acme), c.expected) << c.name;
    }
}

TEST(ReplyReader, OpensAtMostSixteenAddressesInReplyOrder) {
    const ReportFields words = Words(u"B", u"T", u"M", u"F");
    auto section = [](int i) {
        return "[s" + std::to_string(i) + "]\nurl=http://x.example/" + std::to_string(i) + "\n";
    };
    std::string manyDistinct;
    for (int i = 0; i < 5000; ++i)
        manyDistinct += (i == 3 ? "[skipped]\nurl=not an address\n" : "") + section(i);
    Addresses first16;
    for (int i = 0; i < 16; ++i)
        first16.push_back(u"http://x.example/" + std::u16string(Decimal(i)));
    EXPECT_EQ(AddressesFromReply(DecodeReplyBody("", manyDistinct), words), first16);

    // A repeated section opens the address of its last occurrence each time, and counts
    // each time.
    std::string repeated;
    for (int i = 0; i < 20; ++i)
        repeated += "[dup]\nurl=http://x.example/" + std::to_string(i) + "\n";
    EXPECT_EQ(AddressesFromReply(DecodeReplyBody("", repeated), words),
              Addresses(16, u"http://x.example/19"));
}

TEST(ReplyReader, FindsTheCharset) {
    EXPECT_EQ(CharsetOfContentType("text/html; charset=UTF-8"), "UTF-8");
    EXPECT_EQ(CharsetOfContentType("text/html;format=flowed; Charset = 'koi8-r' "), "koi8-r");
    EXPECT_EQ(CharsetOfContentType("text/html"), std::nullopt);
    EXPECT_EQ(CharsetOfContentType("text/html; charset="), std::nullopt);
    EXPECT_EQ(CharsetOfContentType(""), std::nullopt);
    EXPECT_EQ(CharsetOfHtml("<meta name=x><meta charset='iso-8859-5'/>"), "iso-8859-5");
    EXPECT_EQ(CharsetOfHtml("<meta content=\"text/html;charset=koi8-r\" http-equiv=x>"), "koi8-r");
    EXPECT_EQ(CharsetOfHtml("<p>charset=utf-8</p>"), std::nullopt);
    EXPECT_EQ(CharsetOfHtml("<meta charset"), std::nullopt);
}

TEST(IniReader, ReadsSectionsAndEntries) {
    const IniReader reader(u"[A]\nx=1\nnoequals\n; y=2\n[b]\n x = 2 \n[a]\nX=3\nx=4\n");
    EXPECT_EQ(reader.SectionNames(), (std::vector<std::u16string>{u"A", u"b", u"a"}));
    EXPECT_EQ(reader.ReadString(u"a", u"x"), u"4");
    EXPECT_EQ(reader.ReadString(u"B", u"X"), u"2");
    EXPECT_EQ(reader.ReadString(u"b", u"y", u"fallback"), u"fallback");
    EXPECT_EQ(reader.ReadString(u"b", u"noequals", u"-"), u"-");
    EXPECT_EQ(reader.ReadString(u"missing", u"x"), u"");
}

}  // namespace
