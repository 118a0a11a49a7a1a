#include "drive/Capabilities.h"

#include <algorithm>
#include <iterator>

namespace quendra {

namespace {

// Bytes of the capabilities page that carry flags.
constexpr std::uint8_t kReadInfo = 2;
constexpr std::uint8_t kWriteInfo = 3;
constexpr std::uint8_t kOtherInfo = 4;

constexpr DriveCapability kFlags[] = {
    {1, &TDC::Read_CDR, "Read_CDR", PageBit{kReadInfo, 0}},
    {2, &TDC::Read_CDRW, "Read_CDRW", PageBit{kReadInfo, 1}},
    {3, &TDC::Read_DVDRAM, "Read_DVDRAM", PageBit{kReadInfo, 5}},
    {4, &TDC::Read_DVDR, "Read_DVDR", PageBit{kReadInfo, 4}},
    {5, &TDC::Read_DVDRW, "Read_DVDRW", std::nullopt},
    {6, &TDC::Read_DVDPLUSR, "Read_DVDPLUSR", std::nullopt},
    {7, &TDC::Read_DVDPLUSRW, "Read_DVDPLUSRW", std::nullopt},
    {8, &TDC::Read_DVDPLUSRDL, "Read_DVDPLUSRDL", std::nullopt},
    {9, &TDC::Read_HDDVDROM, "Read_HDDVDROM", std::nullopt},
    {10, &TDC::Read_HDDVDR, "Read_HDDVDR", std::nullopt},
    {11, &TDC::Read_HDDVDRAM, "Read_HDDVDRAM", std::nullopt},
    {12, &TDC::Read_BDROM, "Read_BDROM", std::nullopt},
    {13, &TDC::Read_BDR, "Read_BDR", std::nullopt},
    {14, &TDC::Read_BDRE, "Read_BDRE", std::nullopt},
    {21, &TDC::Write_CDR, "Write_CDR", PageBit{kWriteInfo, 0}},
    {22, &TDC::Write_CDRW, "Write_CDRW", PageBit{kWriteInfo, 1}},
    {23, &TDC::Write_DVDRAM, "Write_DVDRAM", PageBit{kWriteInfo, 5}},
    {24, &TDC::Write_DVDR, "Write_DVDR", PageBit{kWriteInfo, 4}},
    {25, &TDC::Write_DVDRW, "Write_DVDRW", std::nullopt},
    {26, &TDC::Write_DVDPLUSR, "Write_DVDPLUSR", std::nullopt},
    {27, &TDC::Write_DVDPLUSRW, "Write_DVDPLUSRW", std::nullopt},
    {28, &TDC::Write_DVDPLUSRDL, "Write_DVDPLUSRDL", std::nullopt},
    {29, &TDC::Write_HDDVDR, "Write_HDDVDR", std::nullopt},
    {30, &TDC::Write_HDDVDRAM, "Write_HDDVDRAM", std::nullopt},
    {31, &TDC::Write_BDR, "Write_BDR", std::nullopt},
    {32, &TDC::Write_BDRE, "Write_BDRE", std::nullopt},
    {41, &TDC::TestWrite, "TestWrite", PageBit{kWriteInfo, 2}},
    {42, &TDC::UnderRunProtection, "UnderRunProtection", PageBit{kOtherInfo, 7}},
    // Without a DeviceCan identifier.
    {0, &TDC::Read_Method2, "Read_Method2", PageBit{kReadInfo, 2}},
    {0, &TDC::Read_DVDROM, "Read_DVDROM", PageBit{kReadInfo, 3}},
};
constexpr std::size_t kAnswered = std::size(kFlags) - 2;

}  // namespace

std::span<const DriveCapability> DriveCapabilities() {
    return std::span(kFlags).first(kAnswered);
}

std::span<const DriveCapability> CapabilityFlags() {
    return kFlags;
}

const DriveCapability* FindDriveCapability(std::uint8_t id) {
    const auto answered = DriveCapabilities();
    const auto found = std::find_if(answered.begin(), answered.end(),
                                    [id](const DriveCapability& c) { return c.id == id; });
    return found == answered.end() ? nullptr : &*found;
}

}  // namespace quendra
