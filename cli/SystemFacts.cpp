#include "cli/SystemFacts.h"

#include "sysinfo/SysInfo.h"

namespace quendra {

SystemFacts GatherSystemFacts() {
    SystemFacts facts;
    facts.windowsVersionCode = GetWindowsVersionCode();
    facts.windowsVersionText = GetWindowsVersionText();
    facts.windowsEditionCode = GetWindowsEditionCode();
    facts.windowsEditionText = GetWindowsEditionText();
    facts.windowsProductText = GetWindowsProductText();
    facts.ntProductTypeCode = GetNtProductTypeCode();
    facts.ntProductTypeText = GetNtProductTypeText();
    facts.servicePack = GetServicePackText();
    facts.osVersion = GetOsVersionText();
    facts.is64Bit = Is64BitWindows();

    CpuInfo cpu;
    ReadCpuInfo(cpu);
    facts.processorVendor = CpuInfoText(cpu.VendorIDString);
    facts.manufacturer = CpuInfoText(cpu.Manufacturer);
    facts.processorName = CpuInfoText(cpu.CpuName);
    facts.transmetaInformation = CpuInfoText(cpu.TransmetaSpecific.TransmetaInformations);
    facts.clock = cpu.Frequency;
    return facts;
}

}  // namespace quendra
