#include "service/ReportBody.h"

#include <gtest/gtest.h>

#include <memory>

#include "demo/aspi/SimulatedDrive.h"
#include "drive/DriveComponent.h"
#include "lookup/LookupForm.h"
#include "report/Report.h"
#include "tests/fakes/FakeDrivePlatform.h"
#include "tests/fakes/FakeSysPlatform.h"
#include "util/TextRules.h"

namespace {

using namespace quendra;

// What the service must read back: each report line cut at its first "=".
std::vector<ReportField> ReportLinesAsFields(const std::u16string& report) {
    std::vector<ReportField> fields;
    for (const auto& line : SplitLines(report)) {
        const auto eq = line.find(u'=');
        fields.push_back({std::string(line.begin(), line.begin() + eq), line.substr(eq + 1)});
    }
    return fields;
}

void ExpectSameFields(const std::vector<ReportField>& actual,
                      const std::vector<ReportField>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].name, expected[i].name) << "field " << i;
        EXPECT_EQ(actual[i].value, expected[i].value) << "field " << actual[i].name;
    }
}

struct ReportCase {
    const char* name;
    const char* vendor;     // the drive's INQUIRY vendor, system code page
    const char* cpuLeaves;  // the processor name, system code page, up to 48 bytes
};

void PrintTo(const ReportCase& c, std::ostream* out) {
    *out << c.name;
}

// Real reports of the program, with the values a drive and a processor can put in them:
// blanks, "&" and "=" inside values, quotes and the characters both escapings touch,
// code-page letters (é, ®, œ, and ™, which the program writes with four digits).
class ReportRoundTrip : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ReportRoundTrip, ReadsBackEveryLineOfTheProgramsBody) {
    const ReportCase& c = GetParam();
    FakeSysPlatform fake;
    fake.SetVersion(2, 6, 1, u"Service Pack 1");
    fake.SetProduct(VER_NT_WORKSTATION, 0);
    fake.version.wServicePackMajor = 1;
    fake.cpuidAvailable = true;
    fake.SetVendor(0, "GenuineIntel");
    fake.cpuid[0x80000000] = {0x80000004, 0, 0, 0};
    std::string leaves = c.cpuLeaves;
    leaves.resize(48, ' ');
    for (std::uint32_t leaf = 0; leaf < 3; ++leaf)
        fake.SetLeafText(0x80000002 + leaf, std::string_view(leaves).substr(leaf * 16, 16));
    ScopedSysPlatform installed(fake.Platform());

    auto platform = std::make_shared<FakeDrivePlatform>();
    DriveTable table = drives::DvdBurner();
    table.vendor = c.vendor;
    platform->AddDrive('E', std::make_shared<SimulatedDrive>(table), ScsiAddress{1, 0, 0});
    TDriveComponent drives(platform);
    drives.InitializeASPI(false, "", "");

    ReportFields words;
    words.FProgramVersion = u"1.0.0.0";
    const std::u16string report = BuildReport(words, drives, 0);
    const std::string body = LookupBody(ReportFieldLines(report));

    const auto decoded = DecodeReportBody(body, ReportKeys());
    ASSERT_TRUE(decoded.has_value()) << body;
    ExpectSameFields(*decoded, ReportLinesAsFields(report));
    EXPECT_EQ(FieldValue(*decoded, "DeviceNameBrand"), words.FDeviceBrand);
    EXPECT_EQ(FieldValue(*decoded, "DeviceNameModel"), u"XR-22");
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ReportRoundTrip,
    ::testing::Values(
        ReportCase{"Plain", "ACME", "       Intel(R) Test CPU 1.00GHz"},
        ReportCase{"AmpersandsAndEquals", "AC&M=E", "A&B=C&&== x=1&y=2 #%*+<>\"{}|\\^[]`~?!   "},
        ReportCase{"CodePageLetters", "Caf\xE9", "Core\x99 Caf\xE9 \xAE 50% \x9Cx  -  ...       "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReportValue, UndoesBothEscapings) {
    const struct {
        std::string_view wire;
        std::u16string value;
    } cases[] = {
        {"Windows%25207", u"Windows 7"},
        {"%2520CD-ROM%2520BD", u" CD-ROM BD"},
        {"a&b=c", u"a&b=c"},
        {"%22Caf%C3%A9%22", u"\"Caf\u00E9\""},
        {"%252122%25D83D%25DE00", u"\u2122\U0001F600"},  // four-digit units
        {"DVD%252B-RW", u"DVD+-RW"},
        {"%25250D%25250A", u"%0D%0A"},  // a percent sign that was in the value
        {"%25000", std::u16string{u'\0', u'0'}},
        {"?", u"?"},          // also what U+0080 travels as
        {"%2520AC", u" AC"},  // the euro sign travels the same way
        {"%", u"%"},
        {"%2", u"%2"},
        {"%25ZZ", u"%ZZ"},
        {"%2541", u"%41"},  // never sent
        {"%FF", u"\uFFFD"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeReportValue(c.wire), c.value) << c.wire;
}

TEST(ReportBody, FindsTheFieldsByTheirNamesInOrder) {
    constexpr std::string_view names[] = {"A", "B", "C"};
    const struct {
        std::string_view body;
        std::optional<std::vector<std::u16string>> values;
    } cases[] = {
        {"A=1&B=2&C=3", {{u"1", u"2", u"3"}}},
        {"A=&B=&C=", {{u"", u"", u""}}},
        {"A=x&y=z&B=&&C=C=&B=", {{u"x&y=z", u"&", u"C=&B="}}},
        // A value holding the next field's start: the earliest split is taken.
        {"A=x&B=y&B=z&C=w", {{u"x", u"y&B=z", u"w"}}},
        {"", std::nullopt},
        {"A=1&B=2", std::nullopt},
        {"A=1&C=2&B=3", std::nullopt},
        {"B=1&A=2&C=3", std::nullopt},
        {" A=1&B=2&C=3", std::nullopt},
        {"a=1&b=2&c=3", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto fields = DecodeReportBody(c.body, names);
        ASSERT_EQ(fields.has_value(), c.values.has_value()) << c.body;
        if (!fields)
            continue;
        std::vector<std::u16string> values;
        for (const auto& field : *fields)
            values.push_back(field.value);
        EXPECT_EQ(values, *c.values) << c.body;
    }
}

}  // namespace
