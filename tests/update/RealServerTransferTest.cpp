// The transfer engine against real servers as a user's network would have them: nginx
// serving files over http and https (a test authority made with openssl) and tinyproxy
// for the proxy paths, each started by the test on free 127.0.0.1 ports.
#include <gtest/gtest.h>

#include <random>

#include "tests/fakes/RealServers.h"
#include "tests/update/TransferRig.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;
using namespace quendra::testing;
using Events = std::vector<std::string>;

class RealServerTransfer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        std::filesystem::create_directory(folder_->File("root"));
        std::mt19937 random(16);
        big_ = new std::string(4 * 1024 * 1024 + 123, '\0');
        for (auto& c : *big_)
            c = static_cast<char>(random());
        WriteFile(folder_->File("root/big.bin"), *big_);
        WriteFile(folder_->File("root/small.txt"), "small file\n");
    }
    static void TearDownTestSuite() {
        delete big_;
        delete folder_;
    }

    void SetUp() override {
        QUENDRA_NEED_PROGRAM("nginx");
        QUENDRA_NEED_PROGRAM("openssl");
    }

    // An nginx on `cert`, in a work folder of its own.
    std::unique_ptr<NginxServer> Nginx(const std::string& name, const std::string& cert = {},
                                       const std::string& key = {}) {
        const std::string work = folder_->File(name);
        std::filesystem::create_directories(work);
        auto server = std::make_unique<NginxServer>(folder_->File("root"), work, cert, key);
        EXPECT_TRUE(server->Ready()) << server->Log();
        return server;
    }

    static const TestCertificates& Certificates() {
        static const auto certificates = [] {
            std::filesystem::create_directory(folder_->File("certs"));
            return MakeTestCertificates(folder_->File("certs"));
        }();
        EXPECT_TRUE(certificates.has_value());
        return *certificates;
    }

    // Runs one transfer to the end.
    static TransferRecord Fetch(TupCustomHTTP& http, std::uint32_t start = 0) {
        TransferRecord record;
        Record(http, record);
        EXPECT_TRUE(http.StartTransfer(start, 0));
        EXPECT_TRUE(WaitUntilIdle(http));
        return record;
    }

    static TempFolder* folder_;
    static std::string* big_;
};

TempFolder* RealServerTransfer::folder_ = nullptr;
std::string* RealServerTransfer::big_ = nullptr;

std::u16string Url(const std::string& scheme, std::uint16_t port, const std::string& path,
                   const std::string& host = "localhost") {
    return U16(scheme + "://" + host + ":" + std::to_string(port) + path);
}

TEST_F(RealServerTransfer, HttpAndHttpsWithCertificateChecks) {
    const auto& certs = Certificates();
    auto nginx = Nginx("nginx-localhost", certs.certFile, certs.keyFile);
    auto other = Nginx("nginx-other", certs.otherCertFile, certs.otherKeyFile);
    struct Row {
        const char* name;
        std::u16string url;
        bool trustTestCa;
        TupInternetOptions options;
        Events events;
        std::string errorContains;
    };
    const TupInternetOptions keep{TupInternetOption::ioKeepConnection};
    const Row rows[] = {
        {"http", Url("http", nginx->Port(), "/big.bin"), false, keep, {"Done"}, ""},
        {"https, trusted", Url("https", nginx->TlsPort(), "/big.bin"), true, keep, {"Done"}, ""},
        {"https to the address",
         Url("https", nginx->TlsPort(), "/small.txt", "127.0.0.1"),
         true,
         keep,
         {"Done"},
         ""},
        {"https, unknown authority",
         Url("https", nginx->TlsPort(), "/big.bin"),
         false,
         keep,
         {"HostUnreachable", "Failed"},
         "certificate"},
        {"https, unknown authority allowed",
         Url("https", nginx->TlsPort(), "/small.txt"),
         false,
         keep.With(TupInternetOption::ioIgnoreUnknownCertificateAuthority),
         {"Done"},
         ""},
        {"https, certificate for another name",
         Url("https", other->TlsPort(), "/big.bin"),
         true,
         keep,
         {"HostUnreachable", "Failed"},
         "hostname mismatch"},
        {"https, another name allowed",
         Url("https", other->TlsPort(), "/small.txt"),
         true,
         keep.With(TupInternetOption::ioIgnoreCertificateInvalid),
         {"Done"},
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string target = folder_->File("download.uTMP");
        TupCustomHTTP http;
        http.URL = row.url;
        http.FileName = U16(target);
        http.InternetOptions = row.options;
        http.Proxy.AccessType = TupHTTPAccessType::atDirect;
        if (row.trustTestCa)
            http.TrustedCaFile = certs.caFile;
        const auto record = Fetch(http);
        EXPECT_EQ(record.events, row.events) << http.ErrorText();
        EXPECT_NE(http.ErrorText().find(row.errorContains), std::string::npos) << http.ErrorText();
        if (row.events == Events{"Done"}) {
            const std::string expected =
                ReadFile(folder_->File("root" + Utf16ToUtf8(row.url.substr(row.url.rfind(u'/')))));
            EXPECT_EQ(ReadFile(target), expected);
            EXPECT_EQ(record.doneSize, expected.size());
        }
    }
}

TEST_F(RealServerTransfer, RangesResumeAndTheProbe) {
    auto nginx = Nginx("nginx-ranges");
    const std::string target = folder_->File("resume.uTMP");
    struct Row {
        const char* name;
        std::string stored;
        std::uint32_t start;
        Events events;
    };
    const std::uint32_t size = static_cast<std::uint32_t>(big_->size());
    const Row rows[] = {
        {"resume after a matching part",
         big_->substr(0, 1024 * 1024 + 4096),
         1024 * 1024,
         {"Done"}},
        {"the whole entity is there: 416, already complete",
         *big_,
         size,
         {"Failed", "AlreadyComplete"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteFile(target, row.stored);
        TupCustomHTTP http;
        http.URL = Url("http", nginx->Port(), "/big.bin");
        http.FileName = U16(target);
        http.Proxy.AccessType = TupHTTPAccessType::atDirect;
        const auto record = Fetch(http, row.start);
        EXPECT_EQ(record.events, row.events) << http.ErrorText();
        EXPECT_EQ(ReadFile(target), *big_);
    }
    // A missing file into a file output: the error body in memory, no file left.
    TupCustomHTTP http;
    http.URL = Url("http", nginx->Port(), "/missing.bin");
    http.FileName = U16(target);
    http.Proxy.AccessType = TupHTTPAccessType::atDirect;
    const auto record = Fetch(http);
    EXPECT_EQ(record.events, (Events{"Error", "Failed"}));
    EXPECT_EQ(record.errorStatus, 404);
    EXPECT_NE(record.errorBody.find("404 Not Found"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(RealServerTransfer, ThroughTinyproxy) {
    QUENDRA_NEED_PROGRAM("tinyproxy");
    const auto& certs = Certificates();
    auto nginx = Nginx("nginx-proxied", certs.certFile, certs.keyFile);
    std::filesystem::create_directories(folder_->File("tinyproxy"));
    TinyProxy proxy(folder_->File("tinyproxy"));
    ASSERT_TRUE(proxy.Ready()) << proxy.Log();
    for (const std::string scheme : {"http", "https"}) {
        SCOPED_TRACE(scheme);
        TupCustomHTTP http;
        http.URL = Url(scheme, scheme == "http" ? nginx->Port() : nginx->TlsPort(), "/small.txt");
        http.Proxy.AccessType = TupHTTPAccessType::atUseProxy;
        http.Proxy.ProxyServer = u"127.0.0.1";
        http.Proxy.ProxyPort = proxy.Port();
        http.TrustedCaFile = certs.caFile;
        const auto record = Fetch(http);
        EXPECT_EQ(record.events, Events{"Done"}) << http.ErrorText() << proxy.Log();
        EXPECT_EQ(record.memory, "small file\n");
    }
    const std::string log = proxy.Log();
    EXPECT_NE(log.find("GET http://localhost:" + std::to_string(nginx->Port()) + "/small.txt"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("CONNECT localhost:" + std::to_string(nginx->TlsPort())), std::string::npos)
        << log;

    // A proxy that wants credentials: 407 without them, the file with them.
    std::filesystem::create_directories(folder_->File("tinyproxy-auth"));
    TinyProxy guarded(folder_->File("tinyproxy-auth"), "proxyuser proxysecret");
    ASSERT_TRUE(guarded.Ready()) << guarded.Log();
    for (const std::string credentials : {"none", "given", "asked"}) {
        SCOPED_TRACE(credentials);
        TupCustomHTTP http;
        http.URL = Url("http", nginx->Port(), "/small.txt");
        http.Proxy.AccessType = TupHTTPAccessType::atUseProxy;
        http.Proxy.ProxyServer = u"127.0.0.1";
        http.Proxy.ProxyPort = guarded.Port();
        if (credentials == "given") {
            http.Proxy.ProxyUsername = u"proxyuser";
            http.Proxy.ProxyPassword = u"proxysecret";
        } else if (credentials == "asked") {
            http.OnProxyAuthenticationRequest = [](TupCustomHTTP&, std::u16string& user,
                                                   std::u16string& password, bool& tryAgain) {
                user = u"proxyuser";
                password = u"proxysecret";
                tryAgain = true;
            };
        }
        const auto record = Fetch(http);
        if (credentials == "none") {
            EXPECT_EQ(record.events, (Events{"Error", "Failed"}));
            EXPECT_EQ(record.errorStatus, 407);
        } else {
            EXPECT_EQ(record.events, Events{"Done"}) << http.ErrorText() << guarded.Log();
        }
    }
}

}  // namespace
