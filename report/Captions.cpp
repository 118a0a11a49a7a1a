#include "report/Captions.h"

#include "util/TextRules.h"

DriveCaptions MakeDriveCaptions(const ReportFields& words) {
    DriveCaptions captions;
    captions.button =
        u"Check for Firmware and Driver update of " + quendra::AsciiUpper(words.FDeviceModel);
    captions.name =
        quendra::Trim(words.FDeviceType + u" " + words.FDeviceModel + u" by " + words.FDeviceBrand);
    captions.firmware = words.FDeviceFirmware;
    captions.advertising =
        u"Vextrel DVD Burning Software is 100% compatible with " + words.FDeviceModel;
    return captions;
}
