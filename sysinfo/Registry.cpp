#include "sysinfo/Registry.h"

#include <optional>
#include <vector>

#include "sysinfo/OsFacts.h"
#include "util/ByteOrder.h"
#include "util/TextRules.h"

namespace quendra {

namespace {

constexpr std::uint32_t kPlatformWin9x = 1;

bool IsTextType(std::uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

bool AcceptedAsText(std::uint32_t type) {
    if (StartupOsVersion().PlatformId == kPlatformWin9x)
        return type == REG_BINARY;
    return IsTextType(type) || type == REG_BINARY;
}

std::optional<std::u16string> ReadRegistryText(HKEY root, std::u16string_view keyPath,
                                               std::u16string_view valueName) {
    const SysPlatform& platform = CurrentSysPlatform();
    const auto info = platform.QueryRegistryValue(root, keyPath, valueName);
    if (!info || !AcceptedAsText(info->type))
        return std::nullopt;

    // The buffer holds every byte of the data, so an odd size cannot overrun it; only
    // whole UTF-16 units count.
    std::vector<std::uint8_t> data(info->size);
    if (!platform.ReadRegistryValue(root, keyPath, valueName, data))
        return std::nullopt;
    const std::size_t units = data.size() / 2;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < units; ++i) {
        text.push_back(static_cast<char16_t>(ReadLE16(data, 2 * i)));
    }
    return text;
}

}  // namespace

std::u16string ReadRegistryString(HKEY root, std::u16string_view keyPath,
                                  std::u16string_view valueName, std::u16string_view defaultText) {
    auto text = ReadRegistryText(root, keyPath, valueName);
    return text ? std::move(*text) : std::u16string(defaultText);
}

std::int32_t ReadRegistryInteger(HKEY root, std::u16string_view keyPath,
                                 std::u16string_view valueName, std::int32_t defaultValue) {
    const SysPlatform& platform = CurrentSysPlatform();
    const auto info = platform.QueryRegistryValue(root, keyPath, valueName);
    if (!info)
        return defaultValue;

    if (IsTextType(info->type)) {
        const auto text = ReadRegistryText(root, keyPath, valueName);
        const auto value = text ? ParseRegistryDecimal(*text) : std::nullopt;
        return value.value_or(defaultValue);
    }

    const bool numeric =
        info->type == REG_BINARY || info->type == REG_DWORD || info->type == REG_QWORD;
    if (!numeric || info->size > 8)
        return defaultValue;
    std::uint8_t data[8] = {};
    if (!platform.ReadRegistryValue(root, keyPath, valueName,
                                    std::span<std::uint8_t>(data, info->size))) {
        return defaultValue;
    }
    return static_cast<std::int32_t>(ReadLE32(data, 0));
}

std::optional<std::int32_t> ParseRegistryDecimal(std::u16string_view text) {
    const std::u16string trimmed = Trim(text);
    std::u16string_view digits = trimmed;
    bool negative = false;
    if (!digits.empty() && (digits.front() == u'-' || digits.front() == u'+')) {
        negative = digits.front() == u'-';
        digits.remove_prefix(1);
    }
    if (digits.empty())
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > std::int64_t{1} << 31)
            return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace quendra
