#pragma once

// A drive component on a fake platform, for the drive tests.

#include <memory>

#include "demo/aspi/SimulatedDrive.h"
#include "drive/DriveComponent.h"
#include "tests/fakes/FakeDrivePlatform.h"

namespace quendra {

inline std::shared_ptr<SimulatedDrive> MakeDrive(DriveTable table) {
    return std::make_shared<SimulatedDrive>(std::move(table));
}

inline ScsiAddress Address(std::uint8_t port, std::uint8_t target = 0, std::uint8_t lun = 0) {
    return ScsiAddress{port, 0, target, lun};
}

struct DriveRig {
    std::shared_ptr<FakeDrivePlatform> platform = std::make_shared<FakeDrivePlatform>();
    std::unique_ptr<TDriveComponent> component = std::make_unique<TDriveComponent>(platform);

    TDriveComponent& drives() { return *component; }
    TSCSIDevice& device() { return component->Device; }

    // Initialises on the pass-through route and selects entry `index`.
    void InitializeAndSelect(std::uint8_t index = 0) {
        component->InitializeASPI(false, "", "");
        component->SelectDevice(index);
    }
};

}  // namespace quendra
