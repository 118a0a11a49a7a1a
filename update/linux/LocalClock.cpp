#include <time.h>

#include "update/DateTime.h"

namespace quendra {

std::chrono::seconds CurrentLocalOffset() {
    const time_t now = time(nullptr);
    struct tm local {};
    if (localtime_r(&now, &local) == nullptr)
        return std::chrono::seconds(0);
    return std::chrono::seconds(local.tm_gmtoff);
}

}  // namespace quendra
