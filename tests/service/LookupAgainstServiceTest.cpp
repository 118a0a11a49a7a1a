// The program's own lookup (report, form body, post, reply, placeholders) against the
// running service.

#include <gtest/gtest.h>

#include <memory>

#include "demo/aspi/SimulatedDrive.h"
#include "drive/DriveComponent.h"
#include "lookup/LookupExchange.h"
#include "report/Report.h"
#include "sysinfo/SysInfo.h"
#include "tests/fakes/FakeDrivePlatform.h"
#include "tests/service/ServiceFixture.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;

class ProgramLookup : public ::testing::Test {
protected:
    void SetUp() override {
        CaptureStartupSystemInfo();
        platform_->AddDrive('D', std::make_shared<SimulatedDrive>(drives::OldCdRom()),
                            ScsiAddress{1, 0, 0});
        platform_->AddDrive('E', std::make_shared<SimulatedDrive>(drives::DvdBurner()),
                            ScsiAddress{1, 1, 0});
        drives_.InitializeASPI(false, "", "");
    }

    // The addresses the window would open for the drive at `index`.
    std::vector<std::u16string> Lookup(int index) {
        ReportFields words;
        const std::u16string report = BuildReport(words, drives_, index);
        std::vector<std::u16string> opened;
        const auto failure =
            RunLookup(report, words, LookupEndpoint{service_.address()},
                      [&](const std::u16string& address) { opened.push_back(address); });
        EXPECT_FALSE(failure.has_value()) << (failure ? Utf16ToUtf8(FailureText(*failure)) : "");
        return opened;
    }

    RunningService service_;
    std::shared_ptr<FakeDrivePlatform> platform_ = std::make_shared<FakeDrivePlatform>();
    TDriveComponent drives_{platform_};
};

TEST_F(ProgramLookup, OpensTheCataloguePagesOfAKnownDriveWithItsWords) {
    EXPECT_EQ(Lookup(1), std::vector<std::u16string>{u"http://fw.example/acme/1.02"});
}

TEST_F(ProgramLookup, OpensTheGenericPageForADriveTheCatalogueDoesNotKnow) {
    EXPECT_EQ(Lookup(0), std::vector<std::u16string>{u"http://support.example/ACME/CR-52"});
}

}  // namespace
