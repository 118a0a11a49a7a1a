// Web addresses: an address as configured or listed, a Location value resolved against the
// address that answered, a "host:port" value, the update engine's split of an address, the
// address test and the file name taken from an address.

#include <fuzzer/FuzzedDataProvider.h>

#include "net/HostAddress.h"
#include "net/HttpAddress.h"
#include "update/InfoFile.h"
#include "update/UrlParts.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

using namespace quendra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string baseText = input.ConsumeRandomLengthString(64);
    const std::string text = input.ConsumeRemainingBytesAsString();

    HttpAddress base{"http", {"data.quendra.example", 80}, "/quendra/quendra.php"};
    if (const auto parsed = ParseHttpAddress(baseText))
        base = *parsed;
    if (const auto parsed = ParseHttpAddress(text)) {
        // An address written out reads back as the same address.
        const auto again = ParseHttpAddress(AddressText(*parsed));
        if (!again || !(*again == *parsed))
            __builtin_trap();
    }
    if (const auto next = ResolveLocation(base, text))
        AddressText(*next);
    if (const auto host = ParseHostAddress(text))
        HostFieldValue(*host);
    CrackUrl(text);

    const std::u16string wide = CodePageToUtf16(text);
    IsWebAddress(wide);
    PercentEncode(wide);
    FileNameFromURL(wide);
    return 0;
}
