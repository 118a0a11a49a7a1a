// Dates of the Date, Last-Modified and Expires fields, in any of their forms, with any zone
// offset, read for a local clock anywhere in the world.

#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cmath>

#include "update/HTTPDate.h"

using namespace quendra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::chrono::seconds offset(input.ConsumeIntegralInRange(-14 * 3600, 14 * 3600));
    const std::string text = input.ConsumeRemainingBytesAsString();
    if (!std::isfinite(HTTPDate(text, offset)))
        __builtin_trap();
    return 0;
}
