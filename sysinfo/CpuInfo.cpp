#include "sysinfo/CpuInfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <span>
#include <string_view>

#include "sysinfo/SysPlatform.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

constexpr std::uint32_t kExtendedBase = 0x80000000;
constexpr std::uint32_t kExtendedFeatures = 0x80000001;
constexpr std::uint32_t kBrandLeaves[] = {0x80000002, 0x80000003, 0x80000004};
constexpr std::uint32_t kTransmetaBase = 0x80860000;
constexpr std::uint32_t kTransmetaInfoLeaves[] = {0x80860003, 0x80860004, 0x80860005, 0x80860006};
constexpr std::uint32_t kTimeStampCounterFlag = 1u << 4;

CpuidRegisters Cpuid(std::uint32_t leaf) {
    return CurrentSysPlatform().ExecuteCpuid(leaf, 0);
}

// Stores a register's four bytes, low byte first.
void StoreLE(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void StoreLE(char* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>(value >> (8 * i));
}

template <std::size_t N>
void SetText(char (&field)[N], std::string_view text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

template <std::size_t N>
void SetFormatted(char (&field)[N], const char* format, int number) {
    char text[N];
    std::snprintf(text, sizeof text, format, number);
    SetText(field, text);
}

bool VendorIs(const CpuInfo& info, std::string_view vendor) {
    return std::string_view(info.VendorIDString, sizeof info.VendorIDString) == vendor;
}

void StandardDecoding(CpuInfo& info, std::uint32_t maxStandardLeaf) {
    if (maxStandardLeaf < 1)
        return;
    const CpuidRegisters leaf1 = Cpuid(1);
    info.FamilyId = static_cast<std::uint8_t>((leaf1.eax >> 8) & 0xF);
    info.ModelId = static_cast<std::uint8_t>((leaf1.eax >> 4) & 0xF);
    info.FeatureFlags = leaf1.edx;
    if (info.VendorKind != kVendorIntel)
        return;
    info.BrandIndex = static_cast<std::uint8_t>(leaf1.ebx);
    if (maxStandardLeaf >= 2) {
        const CpuidRegisters leaf2 = Cpuid(2);
        StoreLE(info.CacheDescriptors + 0, leaf2.eax);
        StoreLE(info.CacheDescriptors + 4, leaf2.ebx);
        StoreLE(info.CacheDescriptors + 8, leaf2.ecx);
        StoreLE(info.CacheDescriptors + 12, leaf2.edx);
    }
}

void ReadBrandString(CpuInfo& info, std::uint32_t maxExtendedLeaf) {
    for (std::size_t i = 0; i < std::size(kBrandLeaves); ++i) {
        if (maxExtendedLeaf < kBrandLeaves[i])
            continue;
        const CpuidRegisters r = Cpuid(kBrandLeaves[i]);
        char* out = info.CpuName + 16 * i;
        StoreLE(out + 0, r.eax);
        StoreLE(out + 4, r.ebx);
        StoreLE(out + 8, r.ecx);
        StoreLE(out + 12, r.edx);
    }
}

std::int32_t SecondLevelCacheKB(std::uint8_t descriptor) {
    switch (descriptor) {
        case 0x39:
        case 0x3B:
        case 0x41:
        case 0x79:
            return 128;
        case 0x3A:
            return 192;
        case 0x21:
        case 0x3C:
        case 0x42:
        case 0x7A:
        case 0x82:
            return 256;
        case 0x3D:
            return 384;
        case 0x3E:
        case 0x43:
        case 0x7B:
        case 0x7F:
        case 0x80:
        case 0x83:
        case 0x86:
            return 512;
        case 0x44:
        case 0x78:
        case 0x7C:
        case 0x84:
        case 0x87:
            return 1024;
        case 0x45:
        case 0x7D:
        case 0x85:
            return 2048;
        case 0x48:
            return 3072;
        case 0x49:
            return 4096;
        default:
            return 0;
    }
}

void SetIntelName(CpuInfo& info) {
    const int model = info.ModelId;
    const std::int32_t l2 = info.L2CacheKB;
    const bool xeonCache = l2 == 1024 || l2 == 2048;
    switch (info.FamilyId) {
        case 4: {
            const char* name = "Intel 486 Processor";
            switch (model) {
                case 1:
                    name = "Intel 486DX Processor";
                    break;
                case 2:
                    name = "Intel 486SX Processor";
                    break;
                case 3:
                    name = "Intel DX2 Processor";
                    break;
                case 5:
                    name = "Intel SX2 Processor";
                    break;
                case 7:
                    name = "Write-Back Enhanced Intel DX2 Processor";
                    break;
                case 8:
                    name = "Intel DX4 Processor";
                    break;
            }
            return SetText(info.CpuName, name);
        }
        case 5:
            return SetText(info.CpuName, "Pentium");
        case 6:
            switch (model) {
                case 1:
                    return SetText(info.CpuName, "Pentium Pro");
                case 3:
                    return SetText(info.CpuName, "Pentium II");
                case 5:
                    return SetText(info.CpuName, l2 == 0     ? "Celeron"
                                                 : xeonCache ? "Pentium II Xeon"
                                                             : "Pentium II");
                case 6:
                    return SetText(info.CpuName, (l2 == 0 || l2 == 128) ? "Celeron" : "Pentium II");
                case 7:
                    return SetText(info.CpuName, xeonCache ? "Pentium III Xeon" : "Pentium III");
                case 8:
                    return SetText(info.CpuName, info.BrandIndex == 1   ? "Celeron"
                                                 : info.BrandIndex == 3 ? "Pentium III Xeon"
                                                                        : "Pentium III");
                case 10:
                    return SetText(info.CpuName, "Pentium III Xeon");
                case 11:
                    return SetText(info.CpuName, "Pentium III");
                default:
                    return SetFormatted(info.CpuName, "P6 (Model %d)", model);
            }
        case 15:
            return SetText(info.CpuName, info.BrandIndex == 1    ? "Celeron"
                                         : info.BrandIndex == 14 ? "Xeon"
                                                                 : "Pentium 4");
        default:
            return SetFormatted(info.CpuName, "P%d", info.FamilyId);
    }
}

// 0xAE is the registered sign and 0x99 the trade mark sign in the system code page.
void SetAmdName(CpuInfo& info) {
    const int model = info.ModelId;
    switch (info.FamilyId) {
        case 4:
            return SetText(info.CpuName, "Am486(R) or Am5x86");
        case 5:
            switch (model) {
                case 0:
                case 1:
                case 2:
                case 3:
                    return SetFormatted(info.CpuName, "AMD-K5 (Model %d)", model);
                case 6:
                case 7:
                    return SetFormatted(info.CpuName, "AMD-K6\xAE (Model %d)", model);
                case 8:
                    return SetText(info.CpuName, "AMD-K6\xAE-2 (Model 8)");
                case 9:
                    return SetText(info.CpuName, "AMD-K6\xAE-III (Model 9)");
                default:
                    return SetFormatted(info.CpuName, "Unknown AMD (Model %d)", model);
            }
        case 6:
            switch (model) {
                case 1:
                case 2:
                case 4:
                    return SetFormatted(info.CpuName, "AMD Athlon\x99 (Model %d)", model);
                case 3:
                case 7:
                    return SetFormatted(info.CpuName, "AMD Duron\x99 (Model %d)", model);
                case 6:
                case 8:
                case 10:
                    return SetFormatted(info.CpuName, "AMD Athlon\x99 XP (Model %d)", model);
                default:
                    return SetFormatted(info.CpuName, "Unknown AMD (Model %d)", model);
            }
        case 8:
            return;
        default:
            return SetText(info.CpuName, "Unknown AMD Chip");
    }
}

void SetCyrixName(CpuInfo& info) {
    switch (info.FamilyId) {
        case 4:
            return SetText(info.CpuName, "Cyrix MediaGX");
        case 5:
            if (info.ModelId == 2)
                return SetText(info.CpuName, "Cyrix 6x86");
            if (info.ModelId == 4)
                return SetText(info.CpuName, "Cyrix GXm");
            return;
        case 6:
            return SetText(info.CpuName, "6x86MX");
        default:
            return SetFormatted(info.CpuName, "%dx86", info.FamilyId);
    }
}

void ReadIntel(CpuInfo& info, std::uint32_t maxStandardLeaf) {
    info.VendorKind = kVendorIntel;
    SetText(info.Manufacturer, "Intel");
    StandardDecoding(info, maxStandardLeaf);
    const std::uint32_t maxExtendedLeaf = Cpuid(kExtendedBase).eax;
    info.ExtendedInfoPresent = maxExtendedLeaf >= kExtendedFeatures;
    ReadBrandString(info, maxExtendedLeaf);
    for (const std::uint8_t descriptor : info.CacheDescriptors) {
        info.L2CacheKB += SecondLevelCacheKB(descriptor);
    }
    if (!info.ExtendedInfoPresent)
        SetIntelName(info);
}

void ReadAmd(CpuInfo& info, std::uint32_t maxStandardLeaf) {
    info.VendorKind = kVendorAmd;
    SetText(info.Manufacturer, "AMD");
    if (maxStandardLeaf >= 1)
        info.FeatureFlags = Cpuid(1).edx;
    const std::uint32_t maxExtendedLeaf = Cpuid(kExtendedBase).eax;
    info.ExtendedInfoPresent = maxExtendedLeaf != 0;
    if (maxExtendedLeaf != 0) {
        ReadBrandString(info, maxExtendedLeaf);
    } else {
        StandardDecoding(info, maxStandardLeaf);
        SetAmdName(info);
    }
}

void ReadCyrix(CpuInfo& info, std::uint32_t maxStandardLeaf) {
    info.VendorKind = kVendorCyrix;
    SetText(info.Manufacturer, "Cyrix");
    const std::uint32_t maxExtendedLeaf = Cpuid(kExtendedBase).eax;
    info.ExtendedInfoPresent = maxExtendedLeaf != 0;
    if (maxExtendedLeaf != 0) {
        if (maxExtendedLeaf >= kExtendedFeatures)
            info.FeatureFlags = Cpuid(kExtendedFeatures).edx;
        ReadBrandString(info, maxExtendedLeaf);
    } else {
        StandardDecoding(info, maxStandardLeaf);
        SetCyrixName(info);
    }
}

void ReadVia(CpuInfo& info, std::uint32_t maxStandardLeaf) {
    info.VendorKind = kVendorVia;
    SetText(info.Manufacturer, "Via");
    const std::uint32_t maxExtendedLeaf = Cpuid(kExtendedBase).eax;
    info.ExtendedInfoPresent = maxExtendedLeaf >= kExtendedFeatures;
    if (maxExtendedLeaf != 0) {
        ReadBrandString(info, maxExtendedLeaf);
    } else {
        StandardDecoding(info, maxStandardLeaf);
    }
    if (!info.ExtendedInfoPresent)
        SetText(info.CpuName, "C3");
}

void ReadTransmetaInformation(CpuInfo& info) {
    const std::uint32_t maxTransmetaLeaf = Cpuid(kTransmetaBase).eax;
    if (maxTransmetaLeaf == 0)
        return;
    std::uint8_t bytes[64] = {};
    for (std::size_t i = 0; i < std::size(kTransmetaInfoLeaves); ++i) {
        if (maxTransmetaLeaf < kTransmetaInfoLeaves[i])
            continue;
        const CpuidRegisters r = Cpuid(kTransmetaInfoLeaves[i]);
        StoreLE(bytes + 16 * i + 0, r.eax);
        StoreLE(bytes + 16 * i + 4, r.ebx);
        StoreLE(bytes + 16 * i + 8, r.ecx);
        StoreLE(bytes + 16 * i + 12, r.edx);
    }
    for (std::size_t i = 0; i < std::size(bytes); ++i) {
        info.TransmetaSpecific.TransmetaInformations[i] = bytes[i];
    }
}

void ReadTransmeta(CpuInfo& info, std::uint32_t maxStandardLeaf) {
    info.VendorKind = kVendorTransmeta;
    SetText(info.Manufacturer, "Transmeta");
    if (maxStandardLeaf >= 1)
        info.FeatureFlags = Cpuid(1).edx;
    const CpuidRegisters extended = Cpuid(kExtendedBase);
    StoreLE(info.CpuName + 0, extended.ebx);
    StoreLE(info.CpuName + 4, extended.edx);
    StoreLE(info.CpuName + 8, extended.ecx);
    info.ExtendedInfoPresent = extended.eax != 0;
    if (extended.eax != 0) {
        ReadBrandString(info, extended.eax);
    } else {
        SetText(info.CpuName, "Crusoe");
    }
    ReadTransmetaInformation(info);
}

}  // namespace

void ReadCpuInfo(CpuInfo& info) {
    info = CpuInfo{};
    const SysPlatform& platform = CurrentSysPlatform();
    if (!platform.CpuidAvailable()) {
        info.FamilyId = 4;
    } else {
        info.CpuidPresent = true;
        const CpuidRegisters leaf0 = Cpuid(0);
        StoreLE(info.VendorIDString + 0, leaf0.ebx);
        StoreLE(info.VendorIDString + 4, leaf0.edx);
        StoreLE(info.VendorIDString + 8, leaf0.ecx);
        const std::uint32_t maxStandardLeaf = leaf0.eax;
        if (VendorIs(info, "GenuineIntel")) {
            ReadIntel(info, maxStandardLeaf);
        } else if (VendorIs(info, "AuthenticAMD")) {
            ReadAmd(info, maxStandardLeaf);
        } else if (VendorIs(info, "CyrixInstead")) {
            ReadCyrix(info, maxStandardLeaf);
        } else if (VendorIs(info, "CentaurHauls")) {
            ReadVia(info, maxStandardLeaf);
        } else if (VendorIs(info, "GenuineTMx86")) {
            ReadTransmeta(info, maxStandardLeaf);
        } else {
            StandardDecoding(info, maxStandardLeaf);
        }
    }
    if (info.VendorKind == kVendorNone) {
        SetText(info.Manufacturer, "Unknown");
        SetText(info.CpuName, "Unknown");
    }
    if (info.CpuidPresent && (info.FeatureFlags & kTimeStampCounterFlag)) {
        MeasureCpuFrequency(info.Frequency);
    }
}

std::u16string CpuInfoText(const char* field, std::size_t width) {
    const std::string_view text(field, width);
    return CodePageToUtf16(text.substr(0, text.find('\0')));
}

}  // namespace quendra
