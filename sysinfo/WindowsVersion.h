#pragma once

// Which Windows release, edition and product type the system reports, and their English
// texts. Every operation re-queries the platform and the registry; nothing is cached
// except the version code computed once at start-up.

#include <cstdint>
#include <string>

namespace quendra {

// 0 not recognised, 1 Windows 95 ... 24 Windows Server 2012 R2.
using WindowsVersionCode = std::uint8_t;
// 0 none, 1-11 XP, 12-19 Vista, 20-25 Windows 7, 26-28 Windows 8, 29 RT, 30-32 Windows 8.1,
// 33 RT 8.1.
using WindowsEditionCode = std::uint8_t;
// 0 not determined, 1 workstation, 2 server, 3 advanced server, 4 home, 5 professional,
// 6 datacenter server, 7 enterprise, 8 web edition.
using NtProductTypeCode = std::uint8_t;

WindowsVersionCode GetWindowsVersionCode();
WindowsEditionCode GetWindowsEditionCode();
NtProductTypeCode GetNtProductTypeCode();

std::u16string GetWindowsVersionText();
std::u16string GetWindowsEditionText();
// The version text, then one space and the edition text when there is one.
std::u16string GetWindowsProductText();
std::u16string GetNtProductTypeText();
// The version text, one space and the service pack text.
std::u16string GetOsVersionText();

// The texts of single codes; unknown codes give the empty text. The NT 3 and NT 4 texts
// carry the startup minor version.
std::u16string WindowsVersionCodeText(WindowsVersionCode code);
std::u16string WindowsEditionCodeText(WindowsEditionCode code);
std::u16string NtProductTypeCodeText(NtProductTypeCode code);

// The version code computed at start-up (0 until then).
WindowsVersionCode StartupWindowsVersion();

// Computes StartupWindowsVersion from the captured start-up version values.
void CaptureStartupWindowsVersion();

}  // namespace quendra
