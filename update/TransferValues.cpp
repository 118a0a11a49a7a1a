#include "update/TransferValues.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace quendra {

namespace {

// Nearest integer, halves to even.
double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

}  // namespace

ProgressFigures ComputeProgress(const ProgressInput& input) {
    ProgressFigures figures;
    const double divisor = static_cast<double>(input.fileSize + input.rangeStart);
    if (divisor != 0) {
        const double percent =
            RoundHalfEven(static_cast<double>(input.bytesRead + input.rangeStart) * 100 / divisor);
        figures.percentsDone = static_cast<std::uint8_t>(std::min(percent, 100.0));
    }
    const std::uint64_t elapsed = input.elapsedMs / 1000;
    figures.elapsedTime = Saturate32(elapsed);
    if (input.bytesRead != 0) {
        const double total =
            RoundHalfEven(static_cast<double>(input.fileSize) /
                          static_cast<double>(input.bytesRead) * static_cast<double>(elapsed));
        const double left = total - static_cast<double>(elapsed);
        figures.estimatedTimeLeft =
            left <= 0 ? 0 : Saturate32(static_cast<std::uint64_t>(std::min(left, 4294967295.0)));
    }
    float rate = static_cast<float>(static_cast<double>(input.bytesRead) / 1024);
    if (elapsed != 0)
        rate /= static_cast<float>(elapsed);
    figures.transferRate = rate;
    return figures;
}

std::string RealmOf(std::string_view challenge) {
    const auto at = challenge.find("=\"");
    if (at == std::string_view::npos)
        return {};
    auto rest = challenge.substr(at + 2);
    if (!rest.empty())
        rest.remove_suffix(1);
    return std::string(rest);
}

std::optional<std::uint64_t> DecimalValue(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::uint32_t Saturate32(std::uint64_t value) {
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace quendra
