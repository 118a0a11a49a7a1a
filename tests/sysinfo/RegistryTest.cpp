#include <gtest/gtest.h>

#include <vector>

#include "sysinfo/SysInfo.h"
#include "tests/fakes/FakeSysPlatform.h"

namespace {

using namespace quendra;

constexpr std::u16string_view kKey = u"SOFTWARE\\Quendra\\Test";

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

struct StringCase {
    const char* name;
    std::uint32_t platform;
    std::uint32_t type;  // REG_NONE: no value
    std::vector<std::uint8_t> data;
    std::u16string_view expected;
    bool readFails = false;
};

TEST(RegistryString, TypesAndSizes) {
    const StringCase cases[] = {
        {"sz", 2, REG_SZ, Utf16Bytes(std::u16string(u"abc\0", 4)), u"abc"},
        {"expand sz stays unexpanded", 2, REG_EXPAND_SZ,
         Utf16Bytes(std::u16string(u"%SystemRoot%\\x\0", 15)), u"%SystemRoot%\\x"},
        {"binary", 2, REG_BINARY, Utf16Bytes(std::u16string(u"xy\0", 3)), u"xy"},
        {"no terminator loses the last character", 2, REG_SZ, Utf16Bytes(u"abc"), u"ab"},
        {"odd size counts whole units", 2, REG_SZ, {'a', 0, 'b', 0, 'c', 0, 'd'}, u"ab"},
        {"empty data", 2, REG_SZ, {}, u""},
        {"terminator only", 2, REG_SZ, {0, 0}, u""},
        {"non-ASCII", 2, REG_SZ, Utf16Bytes(std::u16string(u"Pr\u00E9\u20AC\0", 5)),
         u"Pr\u00E9\u20AC"},
        {"multi sz", 2, REG_MULTI_SZ, Utf16Bytes(std::u16string(u"a\0\0", 3)), u"default"},
        {"dword", 2, REG_DWORD, {1, 0, 0, 0}, u"default"},
        {"missing", 2, REG_NONE, {}, u"default"},
        {"failed read", 2, REG_SZ, Utf16Bytes(std::u16string(u"abc\0", 4)), u"default", true},
        {"9x takes binary", 1, REG_BINARY, Utf16Bytes(std::u16string(u"xy\0", 3)), u"xy"},
        {"9x refuses sz", 1, REG_SZ, Utf16Bytes(std::u16string(u"abc\0", 4)), u"default"},
        {"platform 0 reads like NT", 0, REG_SZ, Utf16Bytes(std::u16string(u"abc\0", 4)), u"abc"},
    };
    for (const StringCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSysPlatform fake;
        fake.SetVersion(c.platform, 4, 0);
        if (c.type != REG_NONE) {
            fake.SetRegistryBytes(HKEY_LOCAL_MACHINE, kKey, u"Value", c.type, c.data);
            fake.registry.begin()->second.readFails = c.readFails;
        }
        ScopedSysPlatform installed(fake.Platform());
        EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, u"Value", u"default"), c.expected);
    }
}

TEST(RegistryString, AnotherRootOrKeyIsMissing) {
    FakeSysPlatform fake;
    fake.SetVersion(2, 6, 1);
    fake.SetRegistryString(HKEY_LOCAL_MACHINE, kKey, u"Value", u"abc");
    ScopedSysPlatform installed(fake.Platform());
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kKey, u"Value", u"d"), u"d");
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Other", u"Value", u"d"), u"d");
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, u"Other", u"d"), u"d");
}

struct IntegerCase {
    const char* name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    std::int32_t expected;
    bool readFails = false;
};

TEST(RegistryInteger, TypesAndSizes) {
    const IntegerCase cases[] = {
        {"dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}, 0x12345678},
        {"dword all ones is -1", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, -1},
        {"qword keeps the low 32 bits", REG_QWORD, {5, 0, 0, 0, 1, 0, 0, 0}, 5},
        {"short binary", REG_BINARY, {0x34, 0x12}, 0x1234},
        {"empty binary", REG_BINARY, {}, 0},
        {"nine bytes", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8, 9}, -7},
        {"failed read", REG_DWORD, {1, 0, 0, 0}, -7, true},
        {"sz decimal", REG_SZ, Utf16Bytes(std::u16string(u"600\0", 4)), 600},
        {"sz negative with spaces", REG_SZ, Utf16Bytes(std::u16string(u" -42 \0", 6)), -42},
        {"expand sz", REG_EXPAND_SZ, Utf16Bytes(std::u16string(u"7\0", 2)), 7},
        {"sz lowest", REG_SZ, Utf16Bytes(std::u16string(u"-2147483648\0", 12)), INT32_MIN},
        {"sz too large", REG_SZ, Utf16Bytes(std::u16string(u"2147483648\0", 11)), -7},
        {"sz not a number", REG_SZ, Utf16Bytes(std::u16string(u"12x\0", 4)), -7},
        {"sz empty", REG_SZ, Utf16Bytes(std::u16string(u"\0", 1)), -7},
        {"sz failed read", REG_SZ, Utf16Bytes(std::u16string(u"5\0", 2)), -7, true},
        {"multi sz", REG_MULTI_SZ, Utf16Bytes(std::u16string(u"5\0\0", 3)), -7},
        {"missing", REG_NONE, {}, -7},
    };
    for (const IntegerCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSysPlatform fake;
        fake.SetVersion(2, 6, 1);
        if (c.type != REG_NONE) {
            fake.SetRegistryBytes(HKEY_LOCAL_MACHINE, kKey, u"Value", c.type, c.data);
            fake.registry.begin()->second.readFails = c.readFails;
        }
        ScopedSysPlatform installed(fake.Platform());
        EXPECT_EQ(ReadRegistryInteger(HKEY_LOCAL_MACHINE, kKey, u"Value", -7), c.expected);
    }
}

}  // namespace
