#pragma once

// Records of what a drive answers: sense data, the capabilities page 0x2A, the GET
// CONFIGURATION header with its first feature, and the capability flags derived from them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quendra {

// Fixed-format sense data, 32 bytes.
struct TSENSE {
    std::uint8_t ErrorCode;
    std::uint8_t SegmentNum;
    std::uint8_t SenseKey;
    std::uint8_t InfoByte0;
    std::uint8_t InfoByte1;
    std::uint8_t InfoByte2;
    std::uint8_t InfoByte3;
    std::uint8_t AddSenLen;
    std::uint8_t ComSpecInf0;
    std::uint8_t ComSpecInf1;
    std::uint8_t ComSpecInf2;
    std::uint8_t ComSpecInf3;
    std::uint8_t AddSenseCode;
    std::uint8_t AddSenQual;
    std::uint8_t FieldRepUCode;
    std::uint8_t SenKeySpec15;
    std::uint8_t SenKeySpec16;
    std::uint8_t SenKeySpec17;
    std::array<std::uint8_t, 14> AddSenseBytes;
};
static_assert(sizeof(TSENSE) == 32);
static_assert(offsetof(TSENSE, AddSenseCode) == 12);

#pragma pack(push, 1)

// The capabilities page as the probe keeps it: bytes 0..63 copied from the drive, five speed
// and size fields converted to host order in place, two speeds of the default-values page.
struct TModePage2A {
    std::uint8_t PageCode;
    std::uint8_t PageLen;
    std::uint8_t ReadInfo;
    std::uint8_t WriteInfo;
    std::uint8_t OtherInfo;  // bit 7: buffer underrun protection
    std::uint8_t CDDASupported;
    std::uint8_t Lock;
    std::uint8_t SepChanVol;
    std::uint16_t MaxReadSpeed;  // kB/s, host order
    std::uint16_t NumVolLevels;  // big-endian, as received
    std::uint16_t BufferSize;    // kB, host order
    std::uint16_t CurReadSpeed;  // kB/s, host order
    std::uint8_t Reserved16;
    std::uint8_t BCK;
    std::uint16_t MaxWriteSpeed;  // kB/s, host order
    std::uint16_t CurWriteSpeed;  // kB/s, host order
    std::array<std::uint8_t, 50> Others;
    std::uint16_t DeviceMaxReadSpeed;   // kB/s, from the default-values page
    std::uint16_t DeviceMaxWriteSpeed;  // kB/s, from the default-values page
};

// The GET CONFIGURATION answer exactly as received: every multi-byte field is big-endian.
struct TConfigHeader {
    std::uint32_t DataLength;
    std::uint16_t Reseverd1;
    std::uint16_t CurrentProfile;
    std::uint16_t FeatureCode;  // code of the first feature descriptor
    std::uint8_t Version;
    std::uint8_t AdditionalLength;
    std::uint8_t info;  // first byte of the feature's own data
    std::array<std::uint8_t, 101> OtherData;
};

#pragma pack(pop)

static_assert(sizeof(TModePage2A) == 76);
static_assert(offsetof(TModePage2A, MaxReadSpeed) == 8);
static_assert(offsetof(TModePage2A, NumVolLevels) == 10);
static_assert(offsetof(TModePage2A, BufferSize) == 12);
static_assert(offsetof(TModePage2A, CurReadSpeed) == 14);
static_assert(offsetof(TModePage2A, MaxWriteSpeed) == 18);
static_assert(offsetof(TModePage2A, CurWriteSpeed) == 20);
static_assert(offsetof(TModePage2A, Others) == 22);
static_assert(offsetof(TModePage2A, DeviceMaxReadSpeed) == 72);
static_assert(offsetof(TModePage2A, DeviceMaxWriteSpeed) == 74);

static_assert(sizeof(TConfigHeader) == 114);
static_assert(offsetof(TConfigHeader, CurrentProfile) == 6);
static_assert(offsetof(TConfigHeader, FeatureCode) == 8);
static_assert(offsetof(TConfigHeader, info) == 12);

// The capability flags, in their fixed order.
struct TDC {
    bool Read_CDR;
    bool Read_CDRW;
    bool Read_Method2;
    bool Read_DVDR;
    bool Read_DVDRW;
    bool Read_DVDRAM;
    bool Read_DVDPLUSR;
    bool Read_DVDPLUSRDL;
    bool Read_DVDPLUSRW;
    bool Read_DVDROM;
    bool Read_BDROM;
    bool Read_BDR;
    bool Read_BDRE;
    bool Read_HDDVDROM;
    bool Read_HDDVDR;
    bool Read_HDDVDRAM;
    bool Write_CDR;
    bool Write_CDRW;
    bool Write_DVDR;
    bool Write_DVDRW;
    bool Write_DVDRAM;
    bool Write_DVDPLUSR;
    bool Write_DVDPLUSRDL;
    bool Write_DVDPLUSRW;
    bool Write_BDR;
    bool Write_BDRE;
    bool Write_HDDVDR;
    bool Write_HDDVDRAM;
    bool TestWrite;
    bool UnderRunProtection;
};
static_assert(sizeof(TDC) == 30);
static_assert(offsetof(TDC, Write_CDR) == 16);
static_assert(offsetof(TDC, UnderRunProtection) == 29);

// The raw bytes of a record, for copying answers in and decoding big-endian fields.
template <typename Record>
std::span<std::uint8_t, sizeof(Record)> RecordBytes(Record& record) {
    return std::span<std::uint8_t, sizeof(Record)>(reinterpret_cast<std::uint8_t*>(&record),
                                                   sizeof(Record));
}
template <typename Record>
std::span<const std::uint8_t, sizeof(Record)> RecordBytes(const Record& record) {
    return std::span<const std::uint8_t, sizeof(Record)>(
        reinterpret_cast<const std::uint8_t*>(&record), sizeof(Record));
}

}  // namespace quendra
