#pragma once

// Starting another program without waiting for it.

#include <string>
#include <vector>

namespace quendra::linux_impl {

// Starts arguments[0] (searched along PATH when it has no "/") with the arguments, detached,
// never through a shell, with this process's environment plus `extraEnvironment`
// ("NAME=value" entries). False when it could not be started.
bool StartDetached(const std::vector<std::string>& arguments,
                   const std::vector<std::string>& extraEnvironment = {});

}  // namespace quendra::linux_impl
