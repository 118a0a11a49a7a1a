// Which proxy a transfer takes: the environment's variables, a named proxy and its bypass list.
#include "net/ProxyChoice.h"

#include <gtest/gtest.h>

namespace {

using namespace quendra;

TEST(ProxyChoice, ChoosesByModeAndLists) {
    TransferProxy environment;
    environment.mode = TransferProxy::Mode::Environment;
    environment.httpProxy = "http://user:pw@proxy.example:3128/";
    environment.httpsProxy = "secure.example";
    environment.noProxy = "localhost, .internal.example,10.0.0.1";
    TransferProxy named;
    named.mode = TransferProxy::Mode::Named;
    named.server = "gate.example";
    named.port = 8081;
    named.bypass = "127.0.0.1;*.local.example <local>";
    struct Row {
        const TransferProxy& settings;
        const char* url;
        std::optional<HostAddress> proxy;
    };
    const Row rows[] = {
        {environment, "http://update.example/x", HostAddress{"proxy.example", 3128}},
        {environment, "https://update.example/x", HostAddress{"secure.example", 1080}},
        {environment, "http://localhost/x", std::nullopt},
        {environment, "http://a.internal.example/x", std::nullopt},
        {environment, "http://internal.example/x", std::nullopt},
        {environment, "http://notinternal.example/x", HostAddress{"proxy.example", 3128}},
        {named, "http://update.example/", HostAddress{"gate.example", 8081}},
        {named, "https://update.example/", HostAddress{"gate.example", 8081}},
        {named, "http://127.0.0.1:8080/", std::nullopt},
        {named, "http://files.local.example/", std::nullopt},
        {named, "http://intranet/", std::nullopt},
        {TransferProxy{}, "http://update.example/", std::nullopt},
    };
    for (const auto& row : rows) {
        const auto route = ChooseProxy(row.settings, *ParseHttpAddress(row.url));
        EXPECT_EQ(route ? std::optional(route->proxy) : std::nullopt, row.proxy) << row.url;
    }
    const auto withCredentials =
        ChooseProxy(environment, *ParseHttpAddress("http://update.example/"));
    ASSERT_TRUE(withCredentials);
    EXPECT_EQ(withCredentials->username, "user");
    EXPECT_EQ(withCredentials->password, "pw");
    environment.noProxy = "*";
    EXPECT_FALSE(ChooseProxy(environment, *ParseHttpAddress("http://update.example/")));
}

}  // namespace
