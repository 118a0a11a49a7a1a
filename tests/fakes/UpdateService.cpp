#include "tests/fakes/UpdateService.h"

#include <atomic>

namespace quendra {
namespace {

std::string PathOf(const RecordedRequest& request) {
    const auto line = request.RequestLine();
    const auto start = line.find(' ') + 1;
    return line.substr(start, line.find(' ', start) - start);
}

}  // namespace

UpdateService::UpdateService(std::map<std::string, Answer> answers) {
    // The handler runs on the server's thread and learns the port only after it was chosen.
    auto port = std::make_shared<std::atomic<int>>(0);
    server_ = std::make_unique<LoopbackHttpServer>(
        [answers = std::move(answers), port](const RecordedRequest& request, std::size_t) {
            const auto found = answers.find(PathOf(request));
            if (found == answers.end())
                return ServerReply::Text(404, "Not Found", "missing");
            return found->second("http://127.0.0.1:" + std::to_string(port->load()));
        });
    *port = server_->port();
    base_ = "http://127.0.0.1:" + std::to_string(server_->port());
}

UpdateService::Answer UpdateService::Text(std::string body,
                                          std::vector<std::pair<std::string, std::string>> fields) {
    return [body = std::move(body), fields = std::move(fields)](const std::string& base) {
        std::string text = body;
        for (std::size_t at; (at = text.find("{base}")) != std::string::npos;)
            text.replace(at, 6, base);
        return ServerReply::Text(200, "OK", text, fields);
    };
}

UpdateService::Answer UpdateService::Raw(std::string bytes) {
    return [bytes = std::move(bytes)](const std::string&) { return ServerReply(bytes); };
}

UpdateService::Answer UpdateService::Status(unsigned status, std::string reason) {
    return [status, reason = std::move(reason)](const std::string&) {
        return ServerReply::Text(status, reason, reason);
    };
}

UpdateService::Answer UpdateService::Info(const std::string& version, const std::string& entries,
                                          const std::string& more) {
    return Text("#version=" + version + "\r\n" + entries + more);
}

}  // namespace quendra
