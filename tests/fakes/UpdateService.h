#pragma once

// A scripted update service on 127.0.0.1 for the update tests: it answers by request path,
// "{base}" in an answer standing for the service's own address ("http://127.0.0.1:<port>"),
// and any other path with 404.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/fakes/LoopbackHttpServer.h"

namespace quendra {

class UpdateService {
public:
    using Answer = std::function<ServerReply(const std::string& base)>;

    explicit UpdateService(std::map<std::string, Answer> answers);

    // "http://127.0.0.1:<port>".
    const std::string& Base() const { return base_; }
    std::vector<RecordedRequest> Requests() const { return server_->requests(); }

    // 200 with the body ("{base}" replaced) and the extra fields.
    static Answer Text(std::string body,
                       std::vector<std::pair<std::string, std::string>> fields = {});
    // The bytes as they are.
    static Answer Raw(std::string bytes);
    static Answer Status(unsigned status, std::string reason);
    // An information file offering `version` with the entries given ("#url={base}/x\r\n").
    static Answer Info(const std::string& version, const std::string& entries,
                       const std::string& more = "#message={Get it}\r\n");

private:
    std::shared_ptr<std::string> sharedBase_;
    std::unique_ptr<LoopbackHttpServer> server_;
    std::string base_;
};

}  // namespace quendra
