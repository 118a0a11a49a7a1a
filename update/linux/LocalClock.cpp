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

namespace quendra {

TDateTime Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm local {};
    if (localtime_r(&now.tv_sec, &local) == nullptr)
        return 0;
    const auto date = EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                     local.tm_hour, local.tm_min, local.tm_sec);
    return date.value_or(0) + now.tv_nsec / 1e9 / 86400.0;
}

}  // namespace quendra
