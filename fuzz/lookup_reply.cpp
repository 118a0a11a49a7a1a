// The lookup service's reply body: the character set its Content-Type (or an HTML meta tag)
// names, the decoding, the sections and entries of the INI reader and the drive's words filled
// into each address. Input: the Content-Type, two words, then the body.

#include <fuzzer/FuzzedDataProvider.h>

#include "lookup/IniReader.h"
#include "lookup/ReplyReader.h"
#include "util/Unicode.h"

using namespace quendra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string contentType = input.ConsumeRandomLengthString(80);
    ReportFields words;
    words.FDeviceModel = CodePageToUtf16(input.ConsumeRandomLengthString(24));
    words.FDeviceType = CodePageToUtf16(input.ConsumeRandomLengthString(24));
    words.FDeviceBrand = u"Vendor";
    words.FDeviceFirmware = u"1.00";
    const std::string body = input.ConsumeRemainingBytesAsString();

    const std::u16string text = DecodeReplyBody(contentType, body);
    const auto addresses = AddressesFromReply(text, words);
    if (addresses.size() > kMaxOpenedAddresses)
        __builtin_trap();

    const IniReader reader(text);
    for (const auto& section : reader.SectionNames())
        reader.ReadString(section, u"url");
    for (std::size_t i = 0; i < reader.SectionCount(); ++i)
        reader.EntryOf(reader.LastSectionNamedAs(i), u"URL");
    return 0;
}
