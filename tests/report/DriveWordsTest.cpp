#include "report/DriveWords.h"

#include <gtest/gtest.h>

#include "report/Captions.h"

namespace {

using namespace quendra;

struct WordsCase {
    std::u16string line;
    std::u16string brand, type, model, firmware;
};

TEST(DriveWords, SplitByTokenCount) {
    const WordsCase cases[] = {
        // Padded INQUIRY fields as the drive table writes them: five tokens remain.
        {u"1:0:0,E: ACME     DVDRAM XR-22     1.02 ", u"ACME", u"DVDRAM", u"XR-22", u"1.02"},
        {u"1:0:0,E: ACME XR-22 1.02", u"ACME", u"", u"XR-22", u"1.02"},
        {u"1:0:0,E: ACME Super XR-22 1.02", u"ACME", u"Super", u"XR-22", u"1.02"},
        {u"1:0:0,E: ACME DVD+-RW Drive XR-22 1.02", u"ACME", u"dvd+-rw drive", u"XR-22", u"1.02"},
        {u"1:0:0,E: ACME DVD  RW   Super Multi XR-22 1.02 ", u"ACME", u"dvd rw super multi",
         u"XR-22", u"1.02"},
        {u"1:0:0,E: ACME", u"", u"", u"", u""},
        {u"1:0:0,E: ACME XR-22", u"", u"", u"", u""},
        {u"", u"", u"", u"", u""},
        // The first token is never used, so a two-digit adapter changes nothing.
        {u"1::0:0,E: ACME XR-22 1.02", u"ACME", u"", u"XR-22", u"1.02"},
        // Control characters inside the words keep the token (only blank tokens are dropped).
        {u"1:0:0,E: ACME \tX XR-22 1.02", u"ACME", u"\tX", u"XR-22", u"1.02"},
    };
    for (const auto& c : cases) {
        ReportFields fields;
        fields.FDeviceBrand = u"stale";
        SplitDeviceWords(c.line, fields);
        EXPECT_EQ(fields.FDeviceName, c.line);
        EXPECT_EQ(fields.FDeviceBrand, c.brand);
        EXPECT_EQ(fields.FDeviceType, c.type);
        EXPECT_EQ(fields.FDeviceModel, c.model);
        EXPECT_EQ(fields.FDeviceFirmware, c.firmware);
    }
}

TEST(DriveWords, NormalizeForcesTheSecondCharacter) {
    EXPECT_EQ(NormalizeDeviceName(u"12:0:0,E: ACME XR-22 1.02 "), u"1::0:0,E: ACME XR-22 1.02 ");
    EXPECT_EQ(NormalizeDeviceName(u"1:0:0,E: "), u"1:0:0,E: ");
    EXPECT_EQ(NormalizeDeviceName(u"ab"), u"ab");
    EXPECT_EQ(NormalizeDeviceName(u"abc"), u"a:c");
    EXPECT_EQ(NormalizeDeviceName(u""), u"");
}

TEST(Captions, FromTheFourWords) {
    struct Case {
        std::u16string brand, type, model, firmware;
        DriveCaptions expected;
    };
    const Case cases[] = {
        {u"ACME",
         u"DVDRAM",
         u"XR-22",
         u"1.02",
         {u"Check for Firmware and Driver update of XR-22", u"DVDRAM XR-22 by ACME", u"1.02",
          u"Vextrel DVD Burning Software is 100% compatible with XR-22"}},
        {u"ACME",
         u"",
         u"XR-22",
         u"1.02",
         {u"Check for Firmware and Driver update of XR-22", u"XR-22 by ACME", u"1.02",
          u"Vextrel DVD Burning Software is 100% compatible with XR-22"}},
        {u"ACME",
         u"dvd+-rw drive",
         u"xr-22a",
         u"1.0\u00E9",
         {u"Check for Firmware and Driver update of XR-22A", u"dvd+-rw drive xr-22a by ACME",
          u"1.0\u00E9", u"Vextrel DVD Burning Software is 100% compatible with xr-22a"}},
        {u"",
         u"",
         u"",
         u"",
         {u"Check for Firmware and Driver update of ", u"by", u"",
          u"Vextrel DVD Burning Software is 100% compatible with "}},
    };
    for (const auto& c : cases) {
        ReportFields words;
        words.FDeviceBrand = c.brand;
        words.FDeviceType = c.type;
        words.FDeviceModel = c.model;
        words.FDeviceFirmware = c.firmware;
        const DriveCaptions captions = MakeDriveCaptions(words);
        EXPECT_EQ(captions.button, c.expected.button);
        EXPECT_EQ(captions.name, c.expected.name);
        EXPECT_EQ(captions.firmware, c.expected.firmware);
        EXPECT_EQ(captions.advertising, c.expected.advertising);
    }
}

}  // namespace
