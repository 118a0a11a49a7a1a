#include "drive/ProfileNames.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace quendra {

namespace {

constexpr std::pair<std::uint16_t, std::string_view> kProfiles[] = {
    {0x0001, "Non-removable Disk"},
    {0x0002, "Removable Disk"},
    {0x0003, "Magneto-Optical Erasable"},
    {0x0004, "Optical Write Once"},
    {0x0005, "AS-MO"},
    {0x0008, "CD-ROM"},
    {0x0009, "CD-R"},
    {0x000A, "CD-RW"},
    {0x0010, "DVD-ROM"},
    {0x0011, "DVD-R Sequential Recording"},
    {0x0012, "DVD-RAM"},
    {0x0013, "DVD-RW Restricted Overwrite"},
    {0x0014, "DVD-RW Sequential Recording"},
    {0x0015, "DVD-R Dual Layer Sequential Recording"},
    {0x0016, "DVD-R Dual Layer Jump Recording"},
    {0x0017, "DVD-RW Dual Layer"},
    {0x0018, "DVD-Download Disc Recording"},
    {0x001A, "DVD+RW"},
    {0x001B, "DVD+R"},
    {0x002A, "DVD+RW Dual Layer"},
    {0x002B, "DVD+R Dual Layer"},
    {0x0040, "BD-ROM"},
    {0x0041, "BD-R Sequential Recording"},
    {0x0042, "BD-R Random Recording"},
    {0x0043, "BD-RE"},
    {0x0050, "HD DVD-ROM"},
    {0x0051, "HD DVD-R"},
    {0x0052, "HD DVD-RAM"},
    {0x0053, "HD DVD-RW"},
    {0x0058, "HD DVD-R Dual Layer"},
    {0x005A, "HD DVD-RW Dual Layer"},
    {0xFFFF, "Non-conforming"},
};

}  // namespace

std::string_view ProfileName(std::uint16_t code) {
    const auto found = std::find_if(std::begin(kProfiles), std::end(kProfiles),
                                    [code](const auto& entry) { return entry.first == code; });
    return found == std::end(kProfiles) ? std::string_view() : found->second;
}

}  // namespace quendra
