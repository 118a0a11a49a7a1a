#include "service/ReportBody.h"

#include <array>
#include <cstdint>

#include "util/Unicode.h"

namespace quendra {

namespace {

constexpr std::array<std::string_view, 55> kReportKeys = {
    "QuendraVersion",
    "WindowsVersion",
    "NtProductType",
    "WindowsVersionString",
    "WindowsEditionString",
    "WindowsProductString",
    "NtProductTypeString",
    "WindowsServicePackVersionString",
    "OSVersionString",
    "64bit",
    "CpuInfo.VendorIDString",
    "CpuInfo.Manufacturer",
    "CpuInfo.CpuName",
    "CpuInfo.TransmetaSpecific.TransmetaInformations",
    "AspiVersion",
    "WMVCORE Version",
    "DeviceName",
    "DeviceNameBrand",
    "DeviceNameType",
    "DeviceNameModel",
    "DeviceNameFirmware",
    // The drive's capabilities, each "YES" or "NO".
    "ReadCDR",
    "ReadCDRW",
    "ReadDVD",
    "ReadDVDRW",
    "ReadDVDR",
    "ReadDVDRAM",
    "ReadDVDPLUSR",
    "ReadDVDPLUSRW",
    "ReadDVDPLUSRDL",
    "ReadHDDVDROM",
    "ReadHDDVDR",
    "ReadHDDVDRAM",
    "ReadBDROM",
    "ReadBDR",
    "ReadBDRE",
    "WriteCDR",
    "WriteCDRW",
    "WriteDVDR",
    "WriteDVDRAM",
    "WriteDVDRW",
    "WriteDVDPLUSR",
    "WriteDVDPLUSRW",
    "WriteDVDPLUSRDL",
    "WriteHDDVDR",
    "WriteHDDVDRAM",
    "WriteBDR",
    "WriteBDRE",
    "WriteTest",
    "UnderrunProtection",
    "DeviceMaxWriteSpeed",
    "DeviceMaxReadSpeed",
    "DeviceBufferSize",
    "DeviceIsBurner",
    "TestUnitReady",
};

// Value of an uppercase hex digit, or -1; both escapings write uppercase digits only.
int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The number written by `count` hex digits at `at`, or -1.
long HexNumber(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size())
        return -1;
    long number = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int digit = HexDigit(text[at + i]);
        if (digit < 0)
            return -1;
        number = number * 16 + digit;
    }
    return number;
}

// The form escaping: "%XX" stands for one byte of UTF-8.
std::u16string UndoFormEscaping(std::string_view value) {
    std::string utf8;
    utf8.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const long byte = value[i] == '%' ? HexNumber(value, i + 1, 2) : -1;
        if (byte < 0) {
            utf8 += value[i];
        } else {
            utf8 += static_cast<char>(byte);
            i += 2;
        }
    }
    return Utf8ToUtf16(utf8);
}

// The units the program's percent-encoding writes with two digits.
bool TwoDigitUnit(long unit) {
    switch (unit) {
        case 0x20:
        case 0x23:
        case 0x25:
        case 0x2A:
        case 0x2B:
        case 0x3C:
        case 0x3E:
            return true;
        default:
            return unit >= 0 && unit < 0x20;
    }
}

std::u16string UndoPercentEncoding(std::u16string_view text) {
    // The escapes are ASCII, so the digits can be read from a narrowed copy.
    std::string ascii(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        ascii[i] = text[i] < 0x80 ? static_cast<char>(text[i]) : '\0';

    std::u16string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%') {
            const long twoDigits = HexNumber(ascii, i + 1, 2);
            if (TwoDigitUnit(twoDigits)) {
                decoded += static_cast<char16_t>(twoDigits);
                i += 2;
                continue;
            }
            const long fourDigits = HexNumber(ascii, i + 1, 4);
            if (fourDigits >= 0x20AC) {
                decoded += static_cast<char16_t>(fourDigits);
                i += 4;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}

}  // namespace

std::span<const std::string_view> ReportKeys() {
    return kReportKeys;
}

std::u16string DecodeReportValue(std::string_view value) {
    return UndoPercentEncoding(UndoFormEscaping(value));
}

std::optional<std::vector<ReportField>> DecodeReportBody(std::string_view body,
                                                         std::span<const std::string_view> names) {
    if (names.empty() || !body.starts_with(std::string(names[0]) + "="))
        return std::nullopt;

    // The earliest place of each following "&Name=" is always a right split: a later one
    // leaves less room for the fields after it, never more.
    std::vector<ReportField> fields;
    fields.reserve(names.size());
    std::size_t valueStart = names[0].size() + 1;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::size_t valueEnd = body.size();
        std::size_t next = body.size();
        if (i + 1 < names.size()) {
            std::string needle(1, '&');
            needle.append(names[i + 1]).append(1, '=');
            valueEnd = body.find(needle, valueStart);
            if (valueEnd == std::string_view::npos)
                return std::nullopt;
            next = valueEnd + needle.size();
        }
        fields.push_back({std::string(names[i]),
                          DecodeReportValue(body.substr(valueStart, valueEnd - valueStart))});
        valueStart = next;
    }
    return fields;
}

std::u16string FieldValue(const std::vector<ReportField>& fields, std::string_view name) {
    for (const auto& field : fields) {
        if (field.name == name)
            return field.value;
    }
    return {};
}

}  // namespace quendra
