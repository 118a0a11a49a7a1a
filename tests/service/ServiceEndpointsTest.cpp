#include <gtest/gtest.h>

#include <boost/asio.hpp>

#include <thread>

#include "lookup/LookupForm.h"
#include "tests/lookup/SampleReport.h"
#include "tests/service/ServiceFixture.h"
#include "util/TextRules.h"

namespace {

using namespace quendra;
using namespace std::chrono_literals;
namespace asio = boost::asio;
using tcp = asio::ip::tcp;

constexpr const char* kLookup = "/quendra/quendra.php";

// The body the program sends for the sample report, with its model replaced.
std::string ReportBody(std::u16string_view model = u"XR-22") {
    const std::u16string report = ReplaceAllNoCase(SampleReport(), u"XR-22", model);
    return LookupBody(ReportFieldLines(report));
}

TEST(ServiceLookup, AnswersTheDrivesPagesAndAGenericPageForAnUnknownDrive) {
    RunningService service;

    const HttpResult known = service.Post(kLookup, ReportBody());
    ASSERT_TRUE(known.ok()) << known.failure->message;
    EXPECT_EQ(known.reply.status, 200u);
    EXPECT_EQ(known.reply.Field("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(known.reply.body,
              "[firmware]\r\nurl=http://fw.example/<#DeviceNameModel>\r\n"
              "[driver]\r\nurl=www.drivers.example/<#DeviceNameType>\r\n");

    const HttpResult unknown = service.Post(kLookup, ReportBody(u"ZZ-9"));
    ASSERT_TRUE(unknown.ok());
    EXPECT_EQ(unknown.reply.status, 200u);
    EXPECT_EQ(unknown.reply.body,
              "[support]\r\nurl=http://support.example/<#DeviceNameBrand>/<#DeviceNameModel>\r\n");

    // The log has one line per request and nothing of the report.
    const std::string log = service.StopAndReadLog(2);
    EXPECT_NE(log.find("\"POST /quendra/quendra.php\" 200 "), std::string::npos) << log;
    EXPECT_NE(log.find(" known\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" generic\n"), std::string::npos) << log;
    for (const char* secret : {"ACME", "XR-22", "ZZ-9", "GenuineIntel", "Linux"})
        EXPECT_EQ(log.find(secret), std::string::npos) << secret;
}

TEST(ServiceLookup, RefusesWhatIsNoReportOrTooLarge) {
    RunningService service;
    const struct {
        std::string body;
        unsigned status;
    } cases[] = {
        {"", 400},
        {"hello=world", 400},
        {ReportBody().substr(0, 500), 400},
        {ReportBody() + std::string(64 * 1024, 'x'), 413},
    };
    for (const auto& c : cases) {
        const HttpResult result = service.Post(kLookup, c.body);
        ASSERT_TRUE(result.ok()) << result.failure->message;
        EXPECT_EQ(result.reply.status, c.status) << c.body.substr(0, 40);
    }

    const HttpResult headerTooLarge =
        service.Send("GET", "/update-qndr.php?" + std::string(9000, 'q'), {});
    ASSERT_TRUE(headerTooLarge.ok());
    EXPECT_EQ(headerTooLarge.reply.status, 431u);

    // Still serving.
    EXPECT_EQ(service.Post(kLookup, ReportBody()).reply.status, 200u);
}

TEST(ServiceRouting, AnswersWrongMethodsAndUnknownPaths) {
    RunningService service;
    const struct {
        const char* method;
        const char* target;
        unsigned status;
        const char* allow;
    } cases[] = {
        {"GET", kLookup, 405, "POST"},
        {"PUT", kLookup, 405, "POST"},
        {"POST", "/update-qndr.php", 405, "GET"},
        {"DELETE", "/files/urls-qndr.txt", 405, "GET"},
        {"GET", "/", 404, ""},
        {"GET", "/quendra/quendra.php/x", 404, ""},
        {"GET", "/files/", 404, ""},
        {"GET", "/files/release.json", 404, ""},
        {"GET", "/files/../release.json", 404, ""},
    };
    for (const auto& c : cases) {
        const HttpResult result = service.Send(c.method, c.target, {});
        ASSERT_TRUE(result.ok()) << c.method << " " << c.target;
        EXPECT_EQ(result.reply.status, c.status) << c.method << " " << c.target;
        EXPECT_EQ(result.reply.Field("Allow").value_or(""), c.allow);
    }
}

TEST(ServiceDownload, RedirectsToTheConfiguredPage) {
    RunningService service;
    const HttpResult result = service.Get("/qndr-vextrel-download.php");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.reply.status, 302u);
    EXPECT_EQ(result.reply.Field("Location"), "http://www.q.example/vextrel");
}

TEST(ServiceUpdate, ServesTheInformationFileAndTheUrlListItNames) {
    RunningService service;
    const HttpResult info = service.Get("/update-qndr.php");
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info.reply.status, 200u);
    const std::string base = "http://" + HostFieldValue(service.address());
    EXPECT_EQ(info.reply.body, "#version=1.0.0.1\r\n#date=12/24/2026\r\n#url1=" + base +
                                   "/files/urls-qndr.txt\r\n#message={New.}\r\n");

    const HttpResult list = service.Get("/files/urls-qndr.txt");
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(list.reply.status, 200u);
    EXPECT_EQ(list.reply.body, "http://www.q.example/download\r\nhttp://www.q.example/changes\r\n");
}

TEST(ServiceFiles, ReadsAChangedCatalogueAndKeepsTheOldOneWhenTheNewIsBroken) {
    RunningService service;
    const auto firstPage = [&] {
        const std::string body = service.Post(kLookup, ReportBody()).reply.body;
        return body.substr(0, body.find("\r\n[driver]"));
    };
    const auto waitFor = [&](const std::string& page) {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (firstPage() != page && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(100ms);
        return firstPage();
    };
    ASSERT_EQ(firstPage(), "[firmware]\r\nurl=http://fw.example/<#DeviceNameModel>");

    service.RewriteCatalogue(TestCatalogue("http://fw.example/new"));
    EXPECT_EQ(waitFor("[firmware]\r\nurl=http://fw.example/new"),
              "[firmware]\r\nurl=http://fw.example/new");

    service.RewriteCatalogue("{ broken");
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(firstPage(), "[firmware]\r\nurl=http://fw.example/new");
    EXPECT_NE(service.StopAndReadLog().find("kept the previous contents: "), std::string::npos);
}

// Waits at most `limit` for the server to end the connection; true when it did.
bool ClosedWithin(tcp::socket& socket, std::chrono::milliseconds limit) {
    auto& context = static_cast<asio::io_context&>(socket.get_executor().context());
    bool closed = false;
    std::array<char, 256> scratch{};
    std::function<void(boost::system::error_code, std::size_t)> read =
        [&](boost::system::error_code error, std::size_t) {
            if (error) {
                closed = true;
                return;
            }
            socket.async_read_some(asio::buffer(scratch), read);
        };
    socket.async_read_some(asio::buffer(scratch), read);
    context.restart();
    context.run_for(limit);
    return closed;
}

TEST(ServiceLimits, ClosesASlowRequestAndConnectionsPastTheLimit) {
    ServerLimits limits = TestLimits();
    limits.requestTime = 2s;
    limits.maxConnections = 2;
    RunningService service(TestCatalogue(), TestRelease(), limits);
    asio::io_context context;
    const tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), service.address().port);

    // A request that never ends is closed after the time per request.
    tcp::socket slow(context);
    slow.connect(endpoint);
    asio::write(slow,
                asio::buffer(std::string("POST /quendra/quendra.php HTTP/1.1\r\nHost: x\r\n")));
    tcp::socket idle(context);
    idle.connect(endpoint);
    // Both places are taken: a third connection is closed at once.
    tcp::socket third(context);
    third.connect(endpoint);
    EXPECT_TRUE(ClosedWithin(third, 1500ms));
    EXPECT_TRUE(ClosedWithin(slow, 8s));
    EXPECT_TRUE(ClosedWithin(idle, 8s));

    // With the places free again the service answers.
    EXPECT_EQ(service.Post(kLookup, ReportBody()).reply.status, 200u);
    const std::string log = service.StopAndReadLog();
    EXPECT_NE(log.find("refused a connection from 127.0.0.1: 2 are open"), std::string::npos)
        << log;
    EXPECT_NE(log.find("\"- -\" 0 0 "), std::string::npos) << log;
    EXPECT_NE(log.find(" timed out\n"), std::string::npos) << log;
}

}  // namespace
