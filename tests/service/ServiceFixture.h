#pragma once

// The service running in the test's own process on a free loopback port, answering from a
// catalogue and a release written into a folder of its own, with short limits.

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "net/HostAddress.h"
#include "net/HttpMessage.h"
#include "service/Routes.h"
#include "service/Server.h"
#include "service/ServiceFiles.h"
#include "tests/fakes/TempFolder.h"

namespace quendra {

// Pages for the drive of tests/lookup/SampleReport.h (ACME&Co XR-22, firmware 1.02) and
// for the simulated burner (ACME XR-22); a generic page for every other drive.
std::string TestCatalogue(std::string_view firmwarePage = "http://fw.example/<#DeviceNameModel>");
// Release 1.0.0.1 with two pages in its URL list.
std::string TestRelease();

ServerLimits TestLimits();

class RunningService {
public:
    explicit RunningService(const std::string& catalogue = TestCatalogue(),
                            const std::string& release = TestRelease(),
                            ServerLimits limits = TestLimits());
    ~RunningService();

    HostAddress address() const { return {"127.0.0.1", server_->port()}; }

    // One request on a new connection, with a Host field naming the service.
    HttpResult Get(const std::string& target) const;
    HttpResult Post(const std::string& target, std::string body) const;
    HttpResult Send(const std::string& method, const std::string& target, std::string body) const;

    // Writes the catalogue anew with a modification time that differs from the last one.
    void RewriteCatalogue(const std::string& text);

    // Stops the service and gives everything it logged. A reply reaches the client a moment
    // before the service logs it, so this first waits (5 s at most) for `requests` lines.
    std::string StopAndReadLog(std::size_t requests = 0);

private:
    TempFolder folder_{"quendra-service"};
    std::ostringstream logText_;
    RequestLog log_{logText_};
    ServiceFiles files_;
    ServiceRoutes routes_;
    std::unique_ptr<ServiceServer> server_;
};

}  // namespace quendra
