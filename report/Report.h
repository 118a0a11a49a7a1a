#pragma once

// The system and drive report: 55 "Key=Value" lines about the program, the operating
// system, the processor and the selected drive, joined by CR LF (none after the last).

#include <cstdint>
#include <string>

#include "report/ReportFields.h"

namespace quendra {

class TDriveComponent;

// Builds the report for the drive at the selector's index and refreshes the five drive
// fields of `fields` on the way. The drive component is queried in line order; the speed
// lines run the capability probe again, which later lines then see.
std::u16string BuildReport(ReportFields& fields, TDriveComponent& drives, int selectorIndex);

// Names the report gives the version and product type codes; codes without one give "".
std::u16string WindowsVersionName(std::uint8_t code);
std::u16string NtProductTypeName(std::uint8_t code);

}  // namespace quendra
