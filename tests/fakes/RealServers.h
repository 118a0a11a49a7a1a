#pragma once

// Real servers for the transfer tests: nginx serving a folder (plain and TLS) and tinyproxy,
// each started as an ordinary process on free 127.0.0.1 ports with a configuration of its
// own in a temporary folder, living at most a minute, ended when the object goes. Also the
// test certificates, made with the openssl command.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "tests/fakes/linux/ChildProcess.h"

namespace quendra::testing {

// Whether the named program is installed (nginx, tinyproxy, openssl, curl).
std::optional<std::string> FindProgram(const std::string& name);
// QUENDRA_REQUIRE_SERVERS is set: a missing server fails the test instead of skipping it.
bool ServersRequired();

// Whether something accepts connections on 127.0.0.1:port within about five seconds.
bool WaitForPort(std::uint16_t port);

struct TestCertificates {
    std::string caFile;    // the test authority
    std::string certFile;  // "localhost" and 127.0.0.1, signed by the authority
    std::string keyFile;
    std::string otherCertFile;  // "other.example", signed by the authority
    std::string otherKeyFile;
};
// Makes the authority and both server certificates in `folder`; nothing when openssl fails.
std::optional<TestCertificates> MakeTestCertificates(const std::string& folder);

class NginxServer {
public:
    // Serves `root` on a plain port and, with a certificate, on a TLS port.
    NginxServer(const std::string& root, const std::string& workFolder,
                const std::string& certFile = {}, const std::string& keyFile = {});
    bool Ready() const { return ready_; }
    std::uint16_t Port() const { return port_; }
    std::uint16_t TlsPort() const { return tlsPort_; }
    std::string Log() const;

private:
    std::string folder_;
    std::uint16_t port_ = 0;
    std::uint16_t tlsPort_ = 0;
    std::unique_ptr<ChildProcess> process_;
    bool ready_ = false;
};

class TinyProxy {
public:
    // `basicAuth` "user password": the proxy asks for these credentials (407).
    explicit TinyProxy(const std::string& workFolder, const std::string& basicAuth = {});
    bool Ready() const { return ready_; }
    std::uint16_t Port() const { return port_; }
    std::string Log() const;

private:
    std::string folder_;
    std::uint16_t port_ = 0;
    std::unique_ptr<ChildProcess> process_;
    bool ready_ = false;
};

}  // namespace quendra::testing

// Skips the test when `program` is missing, unless QUENDRA_REQUIRE_SERVERS is set.
#define QUENDRA_NEED_PROGRAM(program)                                                      \
    do {                                                                                   \
        if (!::quendra::testing::FindProgram(program)) {                                   \
            if (::quendra::testing::ServersRequired())                                     \
                FAIL() << program << " is missing and QUENDRA_REQUIRE_SERVERS is set";     \
            GTEST_SKIP() << program << " is not installed (scripts/setup.sh installs it)"; \
        }                                                                                  \
    } while (false)
