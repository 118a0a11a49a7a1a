#include "tests/fakes/RealServers.h"

#include <unistd.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/fakes/LoopbackHttpServer.h"

namespace quendra::testing {

namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

// Every server ends by itself after this long, whatever happens to the test.
constexpr const char* kLifetime = "60";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::unique_ptr<ChildProcess> StartBounded(std::vector<std::string> argv, const std::string& log) {
    argv.insert(argv.begin(), {"/usr/bin/timeout", "--kill-after=2", kLifetime});
    return std::make_unique<ChildProcess>(argv, log);
}

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

std::optional<std::string> FindProgram(const std::string& name) {
    for (const char* folder : {"/usr/sbin/", "/usr/bin/", "/sbin/", "/bin/"}) {
        const std::string path = folder + name;
        if (::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return std::nullopt;
}

bool ServersRequired() {
    const char* value = std::getenv("QUENDRA_REQUIRE_SERVERS");
    return value != nullptr && *value != '\0' && std::string(value) != "0";
}

bool WaitForPort(std::uint16_t port) {
    for (int attempt = 0; attempt < 250; ++attempt) {
        asio::io_context ioc;
        tcp::socket socket(ioc);
        boost::system::error_code ec;
        socket.connect({asio::ip::make_address("127.0.0.1"), port}, ec);
        if (!ec)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::optional<TestCertificates> MakeTestCertificates(const std::string& folder) {
    const auto openssl = FindProgram("openssl");
    if (!openssl)
        return std::nullopt;
    TestCertificates files{folder + "/ca.pem", folder + "/localhost.pem", folder + "/localhost.key",
                           folder + "/other.pem", folder + "/other.key"};
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    if (!Run(*openssl + " req -x509" + key + " -keyout " + folder + "/ca.key -out " + files.caFile +
             " -days 2 -subj /CN=Quendra-Test-CA")) {
        return std::nullopt;
    }
    const auto issue = [&](const std::string& name, const std::string& altNames,
                           const std::string& cert, const std::string& keyFile) {
        const std::string request = folder + "/" + name + ".csr";
        const std::string extensions = folder + "/" + name + ".ext";
        std::ofstream(extensions) << "subjectAltName=" << altNames << "\n";
        return Run(*openssl + " req" + key + " -keyout " + keyFile + " -out " + request +
                   " -subj /CN=" + name) &&
               Run(*openssl + " x509 -req -in " + request + " -CA " + files.caFile + " -CAkey " +
                   folder + "/ca.key -CAcreateserial -days 2 -out " + cert + " -extfile " +
                   extensions);
    };
    if (!issue("localhost", "DNS:localhost,IP:127.0.0.1", files.certFile, files.keyFile) ||
        !issue("other.example", "DNS:other.example", files.otherCertFile, files.otherKeyFile)) {
        return std::nullopt;
    }
    return files;
}

NginxServer::NginxServer(const std::string& root, const std::string& workFolder,
                         const std::string& certFile, const std::string& keyFile)
    : folder_(workFolder) {
    const auto nginx = FindProgram("nginx");
    if (!nginx)
        return;
    port_ = FreePort();
    std::ostringstream conf;
    conf << "daemon off;\nmaster_process off;\nworker_processes 1;\n";
    if (::geteuid() == 0)
        conf << "user root;\n";  // a worker would otherwise drop to a user that cannot read root
    conf << "pid " << folder_ << "/nginx.pid;\nerror_log " << folder_ << "/error.log;\n"
         << "events { worker_connections 64; }\nhttp {\n  access_log off;\n"
         << "  default_type application/octet-stream;\n  sendfile on;\n";
    for (const char* temp : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
        conf << "  " << temp << "_temp_path " << folder_ << "/" << temp << ";\n";
    conf << "  server { listen 127.0.0.1:" << port_ << "; root " << root << "; }\n";
    if (!certFile.empty()) {
        tlsPort_ = FreePort();
        conf << "  server { listen 127.0.0.1:" << tlsPort_ << " ssl; root " << root
             << "; ssl_certificate " << certFile << "; ssl_certificate_key " << keyFile << "; }\n";
    }
    conf << "}\n";
    std::ofstream(folder_ + "/nginx.conf") << conf.str();
    process_ = StartBounded(
        {*nginx, "-p", folder_, "-c", folder_ + "/nginx.conf", "-e", folder_ + "/error.log"},
        folder_ + "/nginx.out");
    ready_ = WaitForPort(port_) && (tlsPort_ == 0 || WaitForPort(tlsPort_));
}

std::string NginxServer::Log() const {
    return ReadAll(folder_ + "/error.log") + ReadAll(folder_ + "/nginx.out");
}

TinyProxy::TinyProxy(const std::string& workFolder, const std::string& basicAuth)
    : folder_(workFolder) {
    const auto tinyproxy = FindProgram("tinyproxy");
    if (!tinyproxy)
        return;
    port_ = FreePort();
    std::ofstream(folder_ + "/tinyproxy.conf")
        << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 16\n"
        << "Allow 127.0.0.1\nLogLevel Info\nLogFile \"" << folder_ << "/tinyproxy.log\"\n"
        << "PidFile \"" << folder_ << "/tinyproxy.pid\"\n"
        << (basicAuth.empty() ? std::string() : "BasicAuth " + basicAuth + "\n");
    process_ = StartBounded({*tinyproxy, "-d", "-c", folder_ + "/tinyproxy.conf"},
                            folder_ + "/tinyproxy.out");
    ready_ = WaitForPort(port_);
}

std::string TinyProxy::Log() const {
    return ReadAll(folder_ + "/tinyproxy.log") + ReadAll(folder_ + "/tinyproxy.out");
}

}  // namespace quendra::testing
