#include "net/HttpAddress.h"

#include <gtest/gtest.h>

namespace {

using namespace quendra;

HttpAddress Address(std::string scheme, std::string host, std::uint16_t port, std::string target) {
    HttpAddress address;
    address.scheme = std::move(scheme);
    address.server.host = std::move(host);
    address.server.port = port;
    address.target = std::move(target);
    return address;
}

TEST(HttpAddress, ParsesAbsoluteAddresses) {
    struct Case {
        const char* text;
        std::optional<HttpAddress> expected;
    };
    const Case cases[] = {
        {"http://data.quendra.example/quendra/quendra.php",
         Address("http", "data.quendra.example", 80, "/quendra/quendra.php")},
        {"HTTP://Host:8080", Address("http", "Host", 8080, "/")},
        {"http://host:/a?b=c#frag", Address("http", "host", 80, "/a?b=c")},
        {"https://host/x", Address("https", "host", 443, "/x")},
        {"https://host:80/x", Address("https", "host", 80, "/x")},
        {"http://user:pw@host/", Address("http", "host", 80, "/")},
        {"http://[::1]:9000/v6", Address("http", "::1", 9000, "/v6")},
        {"http://host?q", Address("http", "host", 80, "/?q")},
        {"ftp://files.example/pub", Address("ftp", "files.example", 80, "/pub")},
        {"http:/no-authority", std::nullopt},
        {"http://", std::nullopt},
        {"http://host:99999/", std::nullopt},
        {"/relative", std::nullopt},
        {"mailto:someone@example", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseHttpAddress(c.text), c.expected) << c.text;
    }
}

TEST(HttpAddress, ResolvesLocationsAgainstTheAnsweringAddress) {
    const HttpAddress base = Address("http", "127.0.0.1", 8080, "/quendra/quendra.php?x=1");
    struct Case {
        const char* location;
        const char* expected;  // address text, or nullptr for none
    };
    const Case cases[] = {
        {"http://localhost:9/next", "http://localhost:9/next"},
        {"https://secure.example/a", "https://secure.example/a"},
        {"//other.example/b", "http://other.example/b"},
        {"/top", "http://127.0.0.1:8080/top"},
        {"next.php?y=2", "http://127.0.0.1:8080/quendra/next.php?y=2"},
        {"../up/./here", "http://127.0.0.1:8080/up/here"},
        {"../../../../x", "http://127.0.0.1:8080/x"},
        {"sub/", "http://127.0.0.1:8080/quendra/sub/"},
        {"..", "http://127.0.0.1:8080/"},
        {"?z=3", "http://127.0.0.1:8080/quendra/quendra.php?z=3"},
        {"", "http://127.0.0.1:8080/quendra/quendra.php?x=1"},
        {"#only-fragment", "http://127.0.0.1:8080/quendra/quendra.php?x=1"},
        {"/with space/\xC3\xA9", "http://127.0.0.1:8080/with%20space/%C3%A9"},
        {"/line\r\nInjected: yes", "http://127.0.0.1:8080/line%0D%0AInjected:%20yes"},
        {"http://bad host/", nullptr},
        {"//", nullptr},
    };
    for (const auto& c : cases) {
        const auto resolved = ResolveLocation(base, c.location);
        if (c.expected == nullptr) {
            EXPECT_FALSE(resolved.has_value()) << c.location;
        } else {
            ASSERT_TRUE(resolved.has_value()) << c.location;
            EXPECT_EQ(AddressText(*resolved), c.expected) << c.location;
        }
    }
}

}  // namespace
