#pragma once

// Processor identification with CPUID: vendor, manufacturer, processor name and the
// Transmeta information text, plus a clock measurement against the performance counter.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sysinfo/CpuFrequency.h"

namespace quendra {

struct TransmetaSpecificInfo {
    char16_t TransmetaInformations[65];
};

// 8-bit texts are in the system code page, fixed width, zero-padded and without a
// guaranteed terminator.
struct CpuInfo {
    bool CpuidPresent;
    std::uint8_t VendorKind;  // 0 other, 1 Intel, 2 Cyrix, 3 AMD, 4 Transmeta, 5 VIA
    std::uint8_t FamilyId;
    std::uint8_t ModelId;
    std::uint8_t BrandIndex;
    std::int32_t L2CacheKB;
    std::uint32_t FeatureFlags;  // bit 4: time-stamp counter
    bool ExtendedInfoPresent;
    CpuFrequency Frequency;
    char VendorIDString[12];
    char Manufacturer[10];
    char CpuName[48];
    TransmetaSpecificInfo TransmetaSpecific;
    std::uint8_t CacheDescriptors[16];  // Intel leaf 2
};

inline constexpr std::uint8_t kVendorNone = 0;
inline constexpr std::uint8_t kVendorIntel = 1;
inline constexpr std::uint8_t kVendorCyrix = 2;
inline constexpr std::uint8_t kVendorAmd = 3;
inline constexpr std::uint8_t kVendorTransmeta = 4;
inline constexpr std::uint8_t kVendorVia = 5;

// Overwrites the whole record from the processor, then measures the clock when CPUID
// exists and the processor has a time-stamp counter. Never fails.
void ReadCpuInfo(CpuInfo& info);

// A fixed-width 8-bit field as text: up to the first zero byte or the full width,
// converted from the system code page.
std::u16string CpuInfoText(const char* field, std::size_t width);
template <std::size_t N>
std::u16string CpuInfoText(const char (&field)[N]) {
    return CpuInfoText(field, N);
}

// A fixed-width UTF-16 field as text, up to the first zero character or the full width.
template <std::size_t N>
std::u16string CpuInfoText(const char16_t (&field)[N]) {
    const std::u16string_view text(field, N);
    return std::u16string(text.substr(0, text.find(u'\0')));
}

}  // namespace quendra
