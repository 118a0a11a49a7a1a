// Drive answers: discovery (pass-through or ASPI route), selection, the capability probe and
// queries, the drive's details, the four words of its display name and the window's
// captions, each answer's bytes, length and status read from the input.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <memory>

#include "drive/Capabilities.h"
#include "drive/DriveComponent.h"
#include "fuzz/FuzzedDrivePlatform.h"
#include "report/Captions.h"
#include "report/DriveWords.h"

using namespace quendra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    auto platform = std::make_shared<FuzzedDrivePlatform>(input);
    {
        TDriveComponent drives(platform);
        const bool aspiOnly = input.ConsumeBool();
        drives.InitializeASPI(aspiOnly, "", "");
        for (std::uint16_t i = 0; i < drives.DeviceCount(); ++i) {
            const auto index = static_cast<std::uint8_t>(i);
            drives.GetDeviceName(index);
            drives.SelectDevice(index);
            for (const DriveCapability& capability : DriveCapabilities())
                drives.DeviceCan(capability.id);
            // Any switch but the trace log's: it writes a file, and a log that cannot be
            // created is the caller's exception by design.
            if (const auto id = input.ConsumeIntegral<std::uint8_t>(); id != kTraceLogOn)
                drives.DeviceCan(id);
            drives.DeviceIsBurner();
            drives.DeviceMaxReadSpeed();
            drives.DeviceMaxWriteSpeed();
            drives.ReadSpeed();
            drives.WriteSpeed();
            drives.MaxWriteSpeed();
            drives.DeviceBufferSize();
            drives.TestUnitReady();
            drives.ErrorNumber();
            drives.ErrorStringW();
            drives.ReadDetails();

            ReportFields words;
            SplitDeviceWords(GetSelectedDeviceName(drives, i), words);
            MakeDriveCaptions(words);
        }
        drives.SelectDeviceByLetter(input.ConsumeIntegral<char>());
        if (drives.DeviceCount() == 0)
            drives.ExplainNoDrive();
    }
    // Every volume the component opened is closed again once it is gone.
    if (platform->OpenHandles() != 0)
        std::abort();
    return 0;
}
