#include "util/SystemCharsetConverter.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <memory>

namespace quendra {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

}  // namespace

std::optional<std::u16string> DecodeWithSystemConverter(std::string_view bytes,
                                                        const std::string& name) {
    const iconv_t cd = iconv_open("UTF-16LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    const std::unique_ptr<void, IconvCloser> guard(cd);

    std::u16string out;
    out.reserve(bytes.size());
    char block[4096];
    auto flush = [&](const char* end) {
        for (const char* p = block; p + 1 < end; p += 2) {
            out.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(p[0]) |
                                                static_cast<std::uint8_t>(p[1]) << 8));
        }
    };

    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = block;
        std::size_t outLeft = sizeof block;
        const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const int err = errno;
        flush(outPtr);
        if (rc != static_cast<std::size_t>(-1))
            break;
        if (err == E2BIG)
            continue;
        // EILSEQ: a byte the set cannot decode; EINVAL: a sequence cut off at the end.
        out.push_back(kReplacement);
        if (err == EINVAL)
            break;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Let stateful sets (ISO-2022 and the like) emit what they still hold.
    char* outPtr = block;
    std::size_t outLeft = sizeof block;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    flush(outPtr);
    return out;
}

}  // namespace quendra
