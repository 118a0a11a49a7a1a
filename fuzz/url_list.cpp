// The URL list file an update delivers: byte-order marks, encodings, line ends, and the
// addresses taken from its lines.

#include <cstdint>
#include <string_view>

#include "update/UrlListFile.h"

using namespace quendra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = UrlListLines(bytes);
    const auto addresses = UrlListAddresses(lines);
    if (addresses.size() > lines.size())
        __builtin_trap();
    for (const auto& address : addresses)
        IsUrlListAddress(address);
    return 0;
}
