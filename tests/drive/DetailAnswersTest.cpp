#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "drive/DetailAnswers.h"
#include "drive/ProfileNames.h"

namespace {

using namespace quendra;
using Bytes = std::vector<std::uint8_t>;

TEST(ConfigurationAnswer, HeaderAndDescriptors) {
    // What QEMU's SCSI drive sends with a CD in it, whichever feature is asked for: data
    // length 0x24, current profile CD-ROM, then features 0 (profiles DVD-ROM, CD-ROM
    // current), 1 (core) and 3 (removable medium).
    const Bytes answer{0x00, 0x00, 0x00, 0x24, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00,
                       0x03, 0x08, 0x00, 0x10, 0x00, 0x00, 0x00, 0x08, 0x01, 0x00,
                       0x00, 0x01, 0x0b, 0x08, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00,
                       0x00, 0x00, 0x00, 0x03, 0x0b, 0x04, 0x39, 0x00, 0x00, 0x00};
    const auto decoded = DecodeConfiguration(answer);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->currentProfile, 0x0008);
    EXPECT_FALSE(decoded->truncated);
    ASSERT_EQ(decoded->features.size(), 3u);
    EXPECT_EQ(decoded->features[2].code, 0x0003);
    EXPECT_EQ(decoded->features[2].data, (Bytes{0x39, 0, 0, 0}));
    EXPECT_EQ(decoded->Find(0x0104), nullptr);
    ASSERT_NE(decoded->Find(0x0000), nullptr);
    EXPECT_EQ(DecodeProfileList(decoded->Find(0x0000)->data),
              (std::vector<DriveProfile>{{0x0010, false}, {0x0008, true}}));
}

TEST(ConfigurationAnswer, LengthsThatLie) {
    struct Case {
        const char* what;
        Bytes answer;
        bool decoded;
        std::size_t features;
        bool truncated;
    };
    const Case cases[] = {
        {"shorter than a header", {0, 0, 0, 4, 0, 0, 0}, false, 0, false},
        {"data length below the header", {0, 0, 0, 3, 0, 0, 0, 8}, false, 0, false},
        {"header only", {0, 0, 0, 4, 0, 0, 0, 0}, true, 0, false},
        // More data stated than sent (the allocation cut it): only what came is read.
        {"data length beyond the answer",
         {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0x01, 0x0C, 0x03, 0x00},
         true,
         1,
         false},
        // A descriptor whose additional length runs past the answer.
        {"descriptor past the end",
         {0, 0, 0, 0x0C, 0, 0, 0, 0, 0x01, 0x04, 0x07, 0x10, 0x01, 0, 0, 0},
         true,
         0,
         true},
        // The data length ends inside a descriptor header.
        {"descriptor header cut",
         {0, 0, 0, 0x06, 0, 0, 0, 0, 0x01, 0x04, 0x07, 0x04},
         true,
         0,
         true},
    };
    for (const Case& c : cases) {
        const auto decoded = DecodeConfiguration(c.answer);
        ASSERT_EQ(decoded.has_value(), c.decoded) << c.what;
        if (!decoded)
            continue;
        EXPECT_EQ(decoded->features.size(), c.features) << c.what;
        EXPECT_EQ(decoded->truncated, c.truncated) << c.what;
    }
}

TEST(FeatureData, ProfileListMicrocodeAndFirmwareDate) {
    EXPECT_EQ(DecodeProfileList(Bytes{}), std::nullopt);
    EXPECT_EQ(DecodeProfileList(Bytes{0x00, 0x11, 0x01}), std::nullopt);  // not whole
    EXPECT_EQ(DecodeProfileList(Bytes{0x00, 0x11, 0xFF, 0xFF}),
              (std::vector<DriveProfile>{{0x0011, true}}));

    EXPECT_EQ(DecodeMicrocodeM5(Bytes{}), std::nullopt);  // version 0: no data byte
    EXPECT_EQ(DecodeMicrocodeM5(Bytes{0x01, 0, 0, 0}), true);
    EXPECT_EQ(DecodeMicrocodeM5(Bytes{0xFE, 0, 0, 0}), false);

    const auto date = [](std::string text) {
        Bytes data(text.begin(), text.end());
        data.resize(16, 0);
        return DecodeFirmwareDate(data);
    };
    const auto good = date("20110308142207");
    ASSERT_TRUE(good);
    EXPECT_EQ(good->year, 2011);
    EXPECT_EQ(good->month, 3);
    EXPECT_EQ(good->day, 8);
    EXPECT_EQ(good->hour, 14);
    EXPECT_EQ(good->minute, 22);
    EXPECT_EQ(good->second, 7);
    for (const char* garbage :
         {"2011030814220X", "20111308142207", "20110300142207", "20110308242207", "20110308146007",
          "2011 308142207", "\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff"}) {
        EXPECT_EQ(date(garbage), std::nullopt) << garbage;
    }
    EXPECT_EQ(DecodeFirmwareDate(Bytes{'2', '0', '1', '1', '0', '3', '0', '8', '1', '4'}),
              std::nullopt);  // cut short
}

TEST(MediaEvent, PresentAbsentOrNoAnswer) {
    struct Case {
        Bytes answer;
        std::optional<bool> present;
    };
    const Case cases[] = {
        // QEMU's SCSI drive with a CD, its ATAPI drive without a disc.
        {{0x00, 0x04, 0x04, 0x10, 0x00, 0x02, 0x00, 0x00}, true},
        {{0x00, 0x04, 0x04, 0x10, 0x00, 0x00, 0x00, 0x00}, false},
        {{0x00, 0x06, 0x04, 0x5E, 0x00, 0x01, 0x00, 0x00}, false},         // tray open, empty
        {{0x00, 0x00, 0x84, 0x5E, 0x00, 0x02, 0x00, 0x00}, std::nullopt},  // no event
        {{0x00, 0x04, 0x02, 0x5E, 0x00, 0x02, 0x00, 0x00}, std::nullopt},  // other class
        {{0x00, 0x02, 0x04, 0x5E, 0x00, 0x02, 0x00, 0x00}, std::nullopt},  // no descriptor
        {{0x00, 0x04, 0x04, 0x5E, 0x00, 0x02}, std::nullopt},              // cut short
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeMediaPresent(c.answer), c.present);
}

TEST(ProfileNames, KnownAndUnknownCodes) {
    EXPECT_EQ(ProfileName(0x0011), "DVD-R Sequential Recording");
    EXPECT_EQ(ProfileName(0x0043), "BD-RE");
    EXPECT_EQ(ProfileName(0xFFFF), "Non-conforming");
    EXPECT_EQ(ProfileName(0x0000), "");
    EXPECT_EQ(ProfileName(0x1234), "");
}

}  // namespace
