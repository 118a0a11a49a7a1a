#include "lookup/LookupTypes.h"

#include "util/Unicode.h"

namespace quendra {

LookupEndpoint DefaultLookupEndpoint() {
    return LookupEndpoint{DataHost()};
}

std::u16string FailureText(const LookupFailure& failure) {
    return failure.message + u" NUMBER : " + Utf8ToUtf16(std::to_string(failure.number));
}

}  // namespace quendra
