#pragma once

// The probe's system facts: the operating-system and processor facts as the report carries
// them, with the processor clock measurement.

#include <cstdint>
#include <string>

#include "sysinfo/CpuFrequency.h"

namespace quendra {

struct SystemFacts {
    unsigned windowsVersionCode = 0;
    std::u16string windowsVersionText;
    unsigned windowsEditionCode = 0;
    std::u16string windowsEditionText;
    std::u16string windowsProductText;
    unsigned ntProductTypeCode = 0;
    std::u16string ntProductTypeText;
    std::u16string servicePack;
    std::u16string osVersion;
    bool is64Bit = false;
    std::u16string processorVendor;
    std::u16string manufacturer;
    std::u16string processorName;
    std::u16string transmetaInformation;
    CpuFrequency clock{};
};

SystemFacts GatherSystemFacts();

}  // namespace quendra
