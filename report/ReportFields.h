#pragma once

// The window's report fields: the program's own version and the selected drive's
// normalized display name and its four words (brand, type, model, firmware revision).
// Building the report refreshes the five drive fields; the captions, the report lines and
// the lookup addresses read them.

#include <string>

namespace quendra {

struct ReportFields {
    std::u16string FProgramVersion;
    std::u16string FDeviceName;
    std::u16string FDeviceBrand;
    std::u16string FDeviceType;
    std::u16string FDeviceModel;
    std::u16string FDeviceFirmware;
};

}  // namespace quendra
