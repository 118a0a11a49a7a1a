#include "net/HostAddress.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace quendra;

TEST(HostAddress, ParsesHostAndPort) {
    struct Case {
        const char* text;
        std::optional<HostAddress> expected;
    };
    const Case cases[] = {
        {"data.quendra.example", HostAddress{"data.quendra.example", 80}},
        {"127.0.0.1:8080", HostAddress{"127.0.0.1", 8080}},
        {"localhost:65535", HostAddress{"localhost", 65535}},
        {"[::1]", HostAddress{"::1", 80}},
        {"[::1]:81", HostAddress{"::1", 81}},
        {"", std::nullopt},
        {":80", std::nullopt},
        {"host:", std::nullopt},
        {"host:0", std::nullopt},
        {"host:65536", std::nullopt},
        {"host:80x", std::nullopt},
        {"host:-1", std::nullopt},
        {"ho st", std::nullopt},
        {"host/path", std::nullopt},
        {"user@host", std::nullopt},
        {"[::1", std::nullopt},
        {"[::1]x", std::nullopt},
        {"[]:80", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseHostAddress(c.text), c.expected) << c.text;
    }
}

TEST(HostAddress, HostFieldShowsPortOnlyWhenNotTheSchemesOwn) {
    EXPECT_EQ(HostFieldValue({"data.quendra.example", 80}), "data.quendra.example");
    EXPECT_EQ(HostFieldValue({"127.0.0.1", 8080}), "127.0.0.1:8080");
    EXPECT_EQ(HostFieldValue({"::1", 8080}), "[::1]:8080");
    EXPECT_EQ(HostFieldValue({"secure.example", 443}, 443), "secure.example");
    EXPECT_EQ(HostFieldValue({"secure.example", 80}, 443), "secure.example:80");
}

// Restores an environment variable when the test ends.
class EnvironmentVariable {
public:
    explicit EnvironmentVariable(const char* name) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
    }
    ~EnvironmentVariable() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    void Set(const char* value) { setenv(name_, value, 1); }
    void Unset() { unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(HostAddress, EnvironmentOverridesTheBuildsHosts) {
    EnvironmentVariable data("QUENDRA_DATA_HOST");
    EnvironmentVariable update("QUENDRA_UPDATE_HOST");
    const auto builtData = *ParseHostAddress(QUENDRA_BUILD_DATA_HOST);
    const auto builtUpdate = *ParseHostAddress(QUENDRA_BUILD_UPDATE_HOST);

    data.Unset();
    update.Unset();
    EXPECT_EQ(DataHost(), builtData);
    EXPECT_EQ(UpdateHost(), builtUpdate);
    EXPECT_EQ(DownloadPageAddress(DataHost()),
              "http://" + HostFieldValue(builtData) + "/qndr-vextrel-download.php");

    data.Set("127.0.0.1:8081");
    update.Set("mirror.local");
    EXPECT_EQ(DataHost(), (HostAddress{"127.0.0.1", 8081}));
    EXPECT_EQ(UpdateHost(), (HostAddress{"mirror.local", 80}));
    EXPECT_EQ(DownloadPageAddress(DataHost()), "http://127.0.0.1:8081/qndr-vextrel-download.php");

    // An empty or malformed override is ignored.
    data.Set("");
    update.Set("mirror.local:http");
    EXPECT_EQ(DataHost(), builtData);
    EXPECT_EQ(UpdateHost(), builtUpdate);
}

}  // namespace
