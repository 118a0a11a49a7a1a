#include "lookup/LookupTypes.h"

#include "util/Unicode.h"

LookupEndpoint DefaultLookupEndpoint() {
    return LookupEndpoint{DataHost()};
}

std::u16string FailureText(const LookupFailure& failure) {
    return failure.message + u" NUMBER : " + quendra::Utf8ToUtf16(std::to_string(failure.number));
}
