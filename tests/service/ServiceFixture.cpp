#include "tests/service/ServiceFixture.h"

#include <chrono>
#include <fstream>
#include <thread>

#include "net/HttpClient.h"

namespace quendra {

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

fs::path Written(const fs::path& path, const std::string& text) {
    Write(path, text);
    return path;
}

}  // namespace

std::string TestCatalogue(std::string_view firmwarePage) {
    return R"({
      "downloadPage": "http://www.q.example/vextrel",
      "generic": [{"section": "support", "url": "http://support.example/<#DeviceNameBrand>/<#DeviceNameModel>"}],
      "drives": [
        {"brand": "ACME&Co", "model": "XR-22", "firmware": ["1.02"],
         "pages": [{"section": "firmware", "url": ")" +
           std::string(firmwarePage) + R"("},
                   {"section": "driver", "url": "www.drivers.example/<#DeviceNameType>"}]},
        {"brand": "ACME", "model": "XR-22",
         "pages": [{"section": "firmware", "url": "http://fw.example/acme/<#DeviceNameFirmware>"}]}
      ]})";
}

std::string TestRelease() {
    return R"({"version": "1.0.0.1", "date": "12/24/2026", "message": "New.",
               "urlList": ["http://www.q.example/download", "http://www.q.example/changes"]})";
}

ServerLimits TestLimits() {
    ServerLimits limits;
    limits.maxConnections = 16;
    limits.requestTime = std::chrono::seconds(5);
    return limits;
}

RunningService::RunningService(const std::string& catalogue, const std::string& release,
                               ServerLimits limits)
    : files_(Written(folder_ / "catalogue.json", catalogue),
             Written(folder_ / "release.json", release)),
      routes_(files_.catalogue(), files_.release()) {
    const std::string error = files_.Load();
    if (!error.empty())
        throw std::runtime_error(error);
    ServerOptions options;
    options.threads = 2;
    options.limits = limits;
    options.everySecond = [this] { files_.Refresh(log_); };
    server_ = std::make_unique<ServiceServer>(
        options, [this](const ServiceRequest& request) { return routes_.Handle(request); }, log_);
}

RunningService::~RunningService() {
    server_.reset();
}

HttpResult RunningService::Get(const std::string& target) const {
    return Send("GET", target, {});
}

HttpResult RunningService::Post(const std::string& target, std::string body) const {
    return Send("POST", target, std::move(body));
}

HttpResult RunningService::Send(const std::string& method, const std::string& target,
                                std::string body) const {
    HttpRequest request;
    request.method = method;
    request.target = target;
    request.fields = {{"Host", HostFieldValue(address())}};
    if (method == "POST")
        request.fields.emplace_back("Content-Length", std::to_string(body.size()));
    request.body = std::move(body);
    HttpLimits limits;
    limits.connect = std::chrono::seconds(5);
    limits.exchange = std::chrono::seconds(10);
    return HttpExchange(address(), request, limits);
}

void RunningService::RewriteCatalogue(const std::string& text) {
    const fs::path path = folder_ / "catalogue.json";
    const auto before = fs::last_write_time(path);
    Write(path, text);
    fs::last_write_time(path, before + std::chrono::seconds(2));
}

std::string RunningService::StopAndReadLog(std::size_t requests) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (log_.Requests() < requests && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    server_.reset();
    return logText_.str();
}

}  // namespace quendra
