#pragma once

// The window's four drive captions, made from the selected drive's words.

#include <string>

#include "report/ReportFields.h"

namespace quendra {

struct DriveCaptions {
    std::u16string button;       // the lookup button
    std::u16string name;         // the drive identity line
    std::u16string firmware;     // the firmware revision
    std::u16string advertising;  // the advertising sentence
};

DriveCaptions MakeDriveCaptions(const ReportFields& words);

}  // namespace quendra
