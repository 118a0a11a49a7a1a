#include "drive/DisplayName.h"

#include <algorithm>

#include "util/ByteOrder.h"

namespace quendra {

DriveIdentity IdentityFromInquiry(std::span<const std::uint8_t> inquiry) {
    DriveIdentity identity;
    for (std::size_t i = 0; i < identity.size(); ++i) {
        const std::uint8_t byte = ByteAt(inquiry, 8 + i);
        identity[i] = static_cast<char>(byte < 0x20 ? ' ' : byte);
    }
    return identity;
}

DriveIdentity BlankIdentity() {
    DriveIdentity identity;
    identity.fill(' ');
    return identity;
}

std::string DisplayName(std::uint8_t adapter, std::uint8_t target, std::uint8_t lun, char letter,
                        const DriveIdentity& identity) {
    std::string name = std::to_string(adapter) + ':' + std::to_string(target) + ':' +
                       std::to_string(lun) + ',' + letter + ": ";
    name.append(identity.data(), 8);
    name += ' ';
    name.append(identity.data() + 8, 16);
    name += ' ';
    name.append(identity.data() + 24, 4);
    name += ' ';
    return name;
}

void StoreDisplayName(TDeviceEntry& entry, const std::string& name) {
    entry.Name.fill('\0');
    std::copy_n(name.begin(), std::min(name.size(), entry.Name.size() - 1), entry.Name.begin());
}

}  // namespace quendra
