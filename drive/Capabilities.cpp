#include "drive/Capabilities.h"

#include <algorithm>
#include <iterator>

namespace quendra {

namespace {

constexpr DriveCapability kCapabilities[] = {
    {1, &TDC::Read_CDR, "Read_CDR"},
    {2, &TDC::Read_CDRW, "Read_CDRW"},
    {3, &TDC::Read_DVDRAM, "Read_DVDRAM"},
    {4, &TDC::Read_DVDR, "Read_DVDR"},
    {5, &TDC::Read_DVDRW, "Read_DVDRW"},
    {6, &TDC::Read_DVDPLUSR, "Read_DVDPLUSR"},
    {7, &TDC::Read_DVDPLUSRW, "Read_DVDPLUSRW"},
    {8, &TDC::Read_DVDPLUSRDL, "Read_DVDPLUSRDL"},
    {9, &TDC::Read_HDDVDROM, "Read_HDDVDROM"},
    {10, &TDC::Read_HDDVDR, "Read_HDDVDR"},
    {11, &TDC::Read_HDDVDRAM, "Read_HDDVDRAM"},
    {12, &TDC::Read_BDROM, "Read_BDROM"},
    {13, &TDC::Read_BDR, "Read_BDR"},
    {14, &TDC::Read_BDRE, "Read_BDRE"},
    {21, &TDC::Write_CDR, "Write_CDR"},
    {22, &TDC::Write_CDRW, "Write_CDRW"},
    {23, &TDC::Write_DVDRAM, "Write_DVDRAM"},
    {24, &TDC::Write_DVDR, "Write_DVDR"},
    {25, &TDC::Write_DVDRW, "Write_DVDRW"},
    {26, &TDC::Write_DVDPLUSR, "Write_DVDPLUSR"},
    {27, &TDC::Write_DVDPLUSRW, "Write_DVDPLUSRW"},
    {28, &TDC::Write_DVDPLUSRDL, "Write_DVDPLUSRDL"},
    {29, &TDC::Write_HDDVDR, "Write_HDDVDR"},
    {30, &TDC::Write_HDDVDRAM, "Write_HDDVDRAM"},
    {31, &TDC::Write_BDR, "Write_BDR"},
    {32, &TDC::Write_BDRE, "Write_BDRE"},
    {41, &TDC::TestWrite, "TestWrite"},
    {42, &TDC::UnderRunProtection, "UnderRunProtection"},
};

}  // namespace

std::span<const DriveCapability> DriveCapabilities() {
    return kCapabilities;
}

const DriveCapability* FindDriveCapability(std::uint8_t id) {
    const auto found = std::find_if(std::begin(kCapabilities), std::end(kCapabilities),
                                    [id](const DriveCapability& c) { return c.id == id; });
    return found == std::end(kCapabilities) ? nullptr : &*found;
}

}  // namespace quendra
