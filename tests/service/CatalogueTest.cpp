#include "service/Catalogue.h"

#include <gtest/gtest.h>

#include <memory>

#include "demo/aspi/SimulatedDrive.h"
#include "drive/DriveComponent.h"
#include "report/DriveWords.h"
#include "service/WatchedFile.h"
#include "tests/fakes/FakeDrivePlatform.h"

namespace {

using namespace quendra;

Catalogue SampleCatalogue() {
    const auto text = ReadWholeFile(QUENDRA_SOURCE_DIR "/service/samples/catalogue.json");
    auto parsed = ParseCatalogue(text.value_or(""));
    if (auto* error = std::get_if<std::string>(&parsed))
        ADD_FAILURE() << *error;
    return std::get<Catalogue>(std::move(parsed));
}

// The sample names every simulated drive of demo/aspi by the words the program takes from
// the drive's own name.
TEST(SampleCatalogue, KnowsEverySimulatedDrive) {
    const Catalogue catalogue = SampleCatalogue();
    auto platform = std::make_shared<FakeDrivePlatform>();
    char letter = 'D';
    for (const auto& table : {drives::DvdReader(), drives::DvdBurner(), drives::DvdPlusOnlyWriter(),
                              drives::OldCdRom()}) {
        platform->AddDrive(letter, std::make_shared<SimulatedDrive>(table),
                           ScsiAddress{1, static_cast<std::uint8_t>(letter - 'D'), 0});
        ++letter;
    }
    TDriveComponent drives(platform);
    drives.InitializeASPI(false, "", "");
    ASSERT_EQ(drives.DeviceCount(), 4);
    for (int i = 0; i < 4; ++i) {
        ReportFields words;
        SplitDeviceWords(GetSelectedDeviceName(drives, i), words);
        const auto answer =
            FindPages(catalogue, words.FDeviceBrand, words.FDeviceModel, words.FDeviceFirmware);
        EXPECT_TRUE(answer.known) << "drive " << i;
        EXPECT_NE(&answer.pages, &catalogue.generic);
    }
}

TEST(Catalogue, ChoosesTheEntryOfTheFirmwareThenOfTheModelThenTheGenericPages) {
    const Catalogue catalogue = SampleCatalogue();
    const struct {
        std::u16string brand, model, firmware;
        std::string firstUrl;
        bool known;
    } cases[] = {
        {u"ACME", u"XR-22", u"1.02",
         "http://firmware.acme.example/burners/XR-22/1.04-update-from-1.02", true},
        {u"acme", u"xr-22", u"1.03", "http://firmware.acme.example/burners/XR-22/", true},
        {u"ACME", u"XR-23", u"1.02", catalogue.generic[0].url, false},
        {u"OTHER", u"XR-22", u"1.02", catalogue.generic[0].url, false},
        {u"", u"", u"", catalogue.generic[0].url, false},
    };
    for (const auto& c : cases) {
        const auto answer = FindPages(catalogue, c.brand, c.model, c.firmware);
        EXPECT_EQ(answer.known, c.known);
        ASSERT_FALSE(answer.pages.empty());
        EXPECT_EQ(answer.pages[0].url, c.firstUrl);
    }
}

TEST(Catalogue, ReplyIsOneSectionWithItsUrlPerPage) {
    EXPECT_EQ(LookupReplyText({{"firmware", "http://a.example/<#DeviceNameModel>"},
                               {"driver", "www.b.example/x?y=1&z=2"}}),
              "[firmware]\r\nurl=http://a.example/<#DeviceNameModel>\r\n"
              "[driver]\r\nurl=www.b.example/x?y=1&z=2\r\n");
}

TEST(Catalogue, RefusesWhatTheProgramWouldMisread) {
    const std::string page = R"({"section": "s", "url": "http://a.example/"})";
    const auto withGeneric = [&](const std::string& generic) {
        return R"({"downloadPage": "http://d.example/", "drives": [], "generic": )" + generic + "}";
    };
    const struct {
        std::string json;
        std::string error;
    } cases[] = {
        {"{", "not JSON"},
        {R"({"generic": [], "drives": []})", "\"downloadPage\" is missing"},
        {withGeneric("[]"), "generic: a list of at least one page"},
        {withGeneric(R"([{"section": "s", "url": "mailto:x@a.example"}])"), "generic[0].url"},
        {withGeneric(R"([{"section": "s", "url": "http://a.example/\r\n[evil]"}])"),
         "generic[0].url"},
        {withGeneric(R"([{"section": " s", "url": "http://a.example/"}])"), "generic[0].section"},
        {withGeneric("[" + page + R"(, {"section": "S", "url": "http://b.example/"}])"),
         "generic[1].section: \"S\" appears twice"},
        {R"({"downloadPage": "http://d.example/", "generic": [)" + page +
             R"(], "drives": [{"brand": "A", "model": "", "pages": [)" + page + "]}]}",
         "drives[0]: brand and model"},
        {R"({"downloadPage": "http://d.example/", "generic": [)" + page +
             R"(], "drives": [{"brand": "A", "model": "B", "firmware": "1.0", "pages": [)" + page +
             "]}]}",
         "drives[0].firmware: not a list of texts"},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseCatalogue(c.json);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.json;
        EXPECT_NE(std::get<std::string>(parsed).find(c.error), std::string::npos)
            << std::get<std::string>(parsed);
    }
}

}  // namespace
