#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "cli/ProbeLookup.h"
#include "demo/aspi/SimulatedDrive.h"
#include "sysinfo/SysInfo.h"
#include "tests/fakes/FakeDrivePlatform.h"
#include "tests/fakes/LoopbackHttpServer.h"

namespace {

using namespace quendra;

class ProbeLookup : public ::testing::Test {
protected:
    void SetUp() override {
        CaptureStartupSystemInfo();
        platform_->AddDrive('D', std::make_shared<SimulatedDrive>(drives::DvdReader()),
                            ScsiAddress{1, 0, 0});
        platform_->AddDrive('E', std::make_shared<SimulatedDrive>(drives::DvdBurner()),
                            ScsiAddress{1, 1, 0});
        drives_.InitializeASPI(false, "", "");
    }

    static LookupEndpoint At(const LoopbackHttpServer& server) {
        return LookupEndpoint{{"127.0.0.1", server.port()}};
    }

    std::shared_ptr<FakeDrivePlatform> platform_ = std::make_shared<FakeDrivePlatform>();
    TDriveComponent drives_{platform_};
};

TEST_F(ProbeLookup, PrintsTheAddressesOfTheChosenDrive) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
        return ServerReply::Text(200, "OK",
                                 "[firmware]\r\nurl=http://fw.example/<#DeviceNameModel>\r\n"
                                 "[driver]\r\nurl=www.drivers.example/<#DeviceNameBrand>\r\n");
    });
    std::ostringstream out;
    EXPECT_TRUE(PrintLookup(drives_, 1, At(server), out));
    EXPECT_EQ(out.str(), "http://fw.example/XR-22\nwww.drivers.example/ACME\n");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].body.find("DeviceNameModel=XR-22&"), std::string::npos);
    EXPECT_NE(requests[0].body.find("QuendraVersion=&"), std::string::npos);  // no note here
}

TEST_F(ProbeLookup, PrintsTheFailureText) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
        return ServerReply::Text(404, "Not Found", "gone");
    });
    std::ostringstream out;
    EXPECT_FALSE(PrintLookup(drives_, 0, At(server), out));
    EXPECT_EQ(out.str(), "HTTP/1.1 404 Not Found NUMBER : 0\n");
}

}  // namespace
