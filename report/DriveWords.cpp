#include "report/DriveWords.h"

#include <vector>

#include "drive/DriveComponent.h"
#include "util/TextRules.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

namespace quendra {

std::u16string NormalizeDeviceName(std::u16string_view name) {
    std::u16string result(name);
    if (result.size() > 2)
        result[1] = u':';
    return result;
}

std::u16string GetSelectedDeviceName(TDriveComponent& drives, int selectorIndex) {
    // The index travels as an 8-bit value, so -1 reads as 255, outside any table.
    const std::string name = drives.GetDeviceName(static_cast<std::uint8_t>(selectorIndex));
    return NormalizeDeviceName(CodePageToUtf16(name));
}

void SplitDeviceWords(std::u16string_view deviceName, ReportFields& fields) {
    fields.FDeviceName = std::u16string(deviceName);
    fields.FDeviceBrand.clear();
    fields.FDeviceType.clear();
    fields.FDeviceModel.clear();
    fields.FDeviceFirmware.clear();

    std::vector<std::u16string> tokens;
    SplitToList(deviceName, u" ", tokens);
    std::vector<std::u16string> kept;
    for (auto& token : tokens) {
        if (!Trim(token).empty())
            kept.push_back(std::move(token));
    }

    const std::size_t n = kept.size();
    if (n < 4)
        return;
    fields.FDeviceBrand = kept[1];
    fields.FDeviceModel = kept[n - 2];
    fields.FDeviceFirmware = kept[n - 1];
    if (n == 5) {
        fields.FDeviceType = kept[2];
    } else if (n >= 6) {
        std::u16string type;
        for (std::size_t i = 2; i <= n - 3; ++i)
            type += kept[i] + u' ';
        fields.FDeviceType = Trim(AsciiLower(type));
    }
}

}  // namespace quendra
