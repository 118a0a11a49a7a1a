#include "sysinfo/SysPlatform.h"

#include <utility>

namespace quendra {

namespace {

// Built on first use, so loading the library runs no code.
SysPlatform& PlatformSlot() {
    static SysPlatform platform = MakeNativeSysPlatform();
    return platform;
}

}  // namespace

const SysPlatform& CurrentSysPlatform() {
    return PlatformSlot();
}

SysPlatform InstallSysPlatform(SysPlatform platform) {
    return std::exchange(PlatformSlot(), std::move(platform));
}

}  // namespace quendra
