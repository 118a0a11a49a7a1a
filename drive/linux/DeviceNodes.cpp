#include "drive/linux/DeviceNodes.h"

namespace quendra::linux_impl {

std::optional<int> OpticalDriveIndex(char letter) {
    if (letter < 'D' || letter > 'Z')
        return std::nullopt;
    return letter - 'D';
}

std::string OpticalDeviceNode(char letter) {
    const std::optional<int> index = OpticalDriveIndex(letter);
    return index ? "/dev/sr" + std::to_string(*index) : std::string();
}

}  // namespace quendra::linux_impl
