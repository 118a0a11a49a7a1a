// The update information file as the update service sends it, read against the program's
// version and date in either mode of comparison; the version and date rules on their own.

#include <fuzzer/FuzzedDataProvider.h>

#include "update/InfoFile.h"
#include "util/Unicode.h"

using namespace quendra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    InfoFileSettings settings;
    settings.VersionControl = input.ConsumeBool() ? TupAutoUpdaterVersionControl::byNumber
                                                  : TupAutoUpdaterVersionControl::byDate;
    settings.VersionNumber = CodePageToUtf16(input.ConsumeRandomLengthString(24));
    settings.VersionDate = CodePageToUtf16(input.ConsumeRandomLengthString(16));
    settings.Today = 46000;
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    ParseInfoFile(bytes, settings);
    const std::u16string text = CodePageToUtf16(bytes);
    CompareVersions(settings.VersionNumber, GetInfoValue(text, u"version", false));
    StrToInfoDate(GetInfoValue(text, u"date", false), settings.Today);
    GetInfoValue(text, u"message", true);
    return 0;
}
