#include "report/Captions.h"

#include "util/TextRules.h"

namespace quendra {

DriveCaptions MakeDriveCaptions(const ReportFields& words) {
    DriveCaptions captions;
    captions.button = u"Check for Firmware and Driver update of " + AsciiUpper(words.FDeviceModel);
    captions.name =
        Trim(words.FDeviceType + u" " + words.FDeviceModel + u" by " + words.FDeviceBrand);
    captions.firmware = words.FDeviceFirmware;
    captions.advertising =
        u"Vextrel DVD Burning Software is 100% compatible with " + words.FDeviceModel;
    return captions;
}

}  // namespace quendra
