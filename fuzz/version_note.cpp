// The version note reader on a file of arbitrary bytes (the program reads its own file and
// two system libraries' files; any of them may be damaged or replaced).

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "util/TextUtils.h"
#include "util/Unicode.h"

using namespace quendra;

namespace {

// One private file for the whole run, rewritten for each input and removed at exit.
const std::string& InputFile() {
    static const std::string path = [] {
        char pattern[] = "/tmp/quendra-fuzz-note-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd < 0)
            abort();
        close(fd);
        return std::string(pattern);
    }();
    static const struct Remover {
        ~Remover() { std::remove(path.c_str()); }
    } remover;
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = InputFile();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        abort();
    if (size != 0 && std::fwrite(data, 1, size, file) != size)
        abort();
    std::fclose(file);
    GetModuleVersionString(Utf8ToUtf16(path));
    return 0;
}
