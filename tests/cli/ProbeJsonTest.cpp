#include <gtest/gtest.h>

#include "cli/ProbeJson.h"
#include "tests/cli/ProbeSamples.h"

namespace {

using namespace quendra;
using Json = nlohmann::ordered_json;

// The document survives its own text: what a drive sent comes back as the same UTF-8.
Json RoundTrip(const ProbeFacts& facts) {
    return Json::parse(ProbeJson(facts, "1.0.0.0").dump());
}

TEST(ProbeJson, DrivesWithTheirReportAndDetails) {
    const Json json = RoundTrip(OddDrivesSample());
    EXPECT_EQ(json["route"], "pass-through");
    ASSERT_EQ(json["drives"].size(), 3u);
    EXPECT_FALSE(json.contains("noDriveCauses"));

    const Json& burner = json["drives"][0];
    EXPECT_EQ(burner["name"], "1:0:0,D: ACME     DVDRAM XR-22     1.02 ");
    EXPECT_EQ(burner["capabilities"].size(), 28u);
    EXPECT_EQ(burner["capabilities"]["Write_DVDPLUSR"], true);
    EXPECT_EQ(burner["report"].size(), 55u);
    EXPECT_EQ(burner["report"].begin().key(), "QuendraVersion");
    EXPECT_EQ(burner["report"]["DeviceNameModel"], "XR-22");
    EXPECT_EQ(burner["report"]["64bit"], "1");
    EXPECT_EQ(burner["details"], Json::parse(R"({"discPresent": true,
                              "currentProfile": {"code": 17, "name": "DVD-R Sequential Recording"},
                              "profiles": [
                                {"code": 18, "name": "DVD-RAM", "current": false},
                                {"code": 17, "name": "DVD-R Sequential Recording", "current": true},
                                {"code": 21, "name": "DVD-R Dual Layer Sequential Recording", "current": false},
                                {"code": 20, "name": "DVD-RW Sequential Recording", "current": false},
                                {"code": 19, "name": "DVD-RW Restricted Overwrite", "current": false},
                                {"code": 26, "name": "DVD+RW", "current": false},
                                {"code": 27, "name": "DVD+R", "current": false},
                                {"code": 43, "name": "DVD+R Dual Layer", "current": false},
                                {"code": 16, "name": "DVD-ROM", "current": false},
                                {"code": 9, "name": "CD-R", "current": false},
                                {"code": 10, "name": "CD-RW", "current": false},
                                {"code": 8, "name": "CD-ROM", "current": false}],
                              "microcodeUpgrade": {"supported": true, "m5": true},
                              "firmwareDate": "2011-03-08T14:22:07"})"));
}

TEST(ProbeJson, OddBytesAndGarbageEndAsTextAndMissingDetails) {
    const Json json = RoundTrip(OddDrivesSample());
    const Json& odd = json["drives"][1];
    // Code-page bytes: 0x81 and 0x9D are C1 controls, 0xFF y-diaeresis, 0xAE the registered
    // sign, 0xC3 A-tilde; bytes below 0x20 became blanks in the display name.
    EXPECT_EQ(odd["name"].get<std::string>(),
              "1:1:0,E: \u0081\u00FF \"\\     [31m\u007F\u009D\u00AE\u00C3(       \u00E2\u201A   ");
    EXPECT_EQ(odd["report"]["DeviceName"], odd["name"]);
    // A profile list and a microcode descriptor longer than their answers, a firmware date
    // of non-digits, a media event cut short: of the details only the profile the header
    // names and the disc answer it implies remain.
    EXPECT_EQ(odd["details"], Json::parse(R"({"discPresent": true,
                                              "currentProfile": {"code": 65535,
                                                                 "name": "Non-conforming"}})"));

    const Json& gone = json["drives"][2];
    EXPECT_EQ(gone["inquiryAnswered"], false);
    EXPECT_EQ(gone["unitReady"], false);
    EXPECT_EQ(gone["details"], Json::object());
}

TEST(ProbeJson, NoDriveWithItsCauses) {
    const Json json = RoundTrip(NoDriveSample());
    EXPECT_EQ(json["route"], "none");
    EXPECT_EQ(json["drives"], Json::array());
    ASSERT_EQ(json["noDriveCauses"].size(), 2u);
    EXPECT_EQ(json["noDriveCauses"][0]["cause"], "permission");
    // A group name that is not UTF-8 keeps the document valid.
    EXPECT_NE(json["noDriveCauses"][0]["text"].get<std::string>().find("cd\uFFFD\uFFFDgroup"),
              std::string::npos);
    EXPECT_EQ(json["noDriveCauses"][1]["cause"], "busy");
    EXPECT_EQ(json["program"]["version"], "1.0.0.0");
}

}  // namespace
