#include "service/Server.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "service/linux/CloseOnExec.h"

namespace quendra {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

// What every connection shares.
struct Shared {
    RequestHandler handler;
    RequestLog& log;
    ServerLimits limits;
    std::atomic<std::size_t> connections{0};
};

bool IsParseError(const beast::error_code& error) {
    return &error.category() == &http::make_error_code(http::error::bad_target).category();
}

// After a refused request the client may still be sending: its bytes are read and dropped
// for a moment, so that closing does not reset the connection before the reply is read.
constexpr auto kLingerTime = std::chrono::seconds(1);
constexpr std::size_t kLingerBytes = 1024 * 1024;

class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket socket, Shared& shared) : stream_(std::move(socket)), shared_(shared) {
        beast::error_code error;
        const auto remote = stream_.socket().remote_endpoint(error);
        peer_ = error ? "-" : remote.address().to_string() + ":" + std::to_string(remote.port());
    }
    ~Session() { --shared_.connections; }

    void Start() { Read(); }

private:
    void Read() {
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(shared_.limits.maxHeaderBytes));
        parser_->body_limit(shared_.limits.maxBodyBytes);
        stream_.expires_after(shared_.limits.requestTime);
        http::async_read(stream_, buffer_, *parser_,
                         beast::bind_front_handler(&Session::OnRead, shared_from_this()));
    }

    void OnRead(beast::error_code error, std::size_t) {
        started_ = Clock::now();
        if (error == beast::error::timeout) {
            if (parser_->got_some())
                LogUnanswered("timed out");
            return;
        }
        if (error == http::error::body_limit)
            return Send(ErrorReply(413, "The request body is too large."), false);
        if (error == http::error::header_limit)
            return Send(ErrorReply(431, "The request header is too large."), false);
        if (error == http::error::end_of_stream)
            return;  // closed between requests
        if (IsParseError(error))
            return Send(ErrorReply(400, "Not an HTTP request."), false);
        if (error)
            return LogUnanswered(error.message());

        auto& request = parser_->get();
        ServiceRequest in{std::string(request.method_string()), std::string(request.target()),
                          std::string(request[http::field::host]), std::move(request.body())};
        ServiceReply reply;
        try {
            reply = shared_.handler(in);
        } catch (...) {
            reply = ErrorReply(500, "The service failed.");
        }
        Send(std::move(reply), request.keep_alive());
    }

    void Send(ServiceReply reply, bool keepAlive) {
        const bool headerRead = parser_->is_header_done();
        const auto& request = parser_->get();
        record_ = {peer_,
                   headerRead ? std::string(request.method_string()) : "-",
                   headerRead ? std::string(request.target()) : "-",
                   reply.status,
                   reply.body.size(),
                   {},
                   reply.note};
        response_ = {};
        response_.version(headerRead ? request.version() : 11);
        response_.result(reply.status);
        response_.set(http::field::server, "quendra-service");
        if (!reply.contentType.empty())
            response_.set(http::field::content_type, reply.contentType);
        for (const auto& [name, value] : reply.fields)
            response_.set(name, value);
        response_.body() = std::move(reply.body);
        response_.keep_alive(keepAlive);
        response_.prepare_payload();
        http::async_write(stream_, response_,
                          beast::bind_front_handler(&Session::OnWrite, shared_from_this()));
    }

    void OnWrite(beast::error_code error, std::size_t) {
        record_.took =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started_);
        if (error)
            record_.note += " (not delivered: " + error.message() + ")";
        shared_.log.Request(record_);
        if (error)
            return;
        if (response_.keep_alive())
            return Read();
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        if (record_.status >= 400) {
            stream_.expires_after(kLingerTime);
            Drop();
        }
    }

    void Drop() {
        stream_.async_read_some(
            asio::buffer(scratch_),
            [self = shared_from_this()](beast::error_code error, std::size_t n) {
                self->dropped_ += n;
                if (!error && self->dropped_ < kLingerBytes)
                    self->Drop();
            });
    }

    void LogUnanswered(const std::string& why) {
        RequestRecord record{peer_, "-", "-", 0, 0, {}, why};
        if (parser_->is_header_done()) {
            record.method = std::string(parser_->get().method_string());
            record.target = std::string(parser_->get().target());
        }
        shared_.log.Request(record);
    }

    beast::tcp_stream stream_;
    Shared& shared_;
    std::string peer_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    http::response<http::string_body> response_;
    RequestRecord record_;
    Clock::time_point started_;
    std::array<char, 4096> scratch_{};
    std::size_t dropped_ = 0;
};

tcp::endpoint Endpoint(const ServerOptions& options) {
    beast::error_code error;
    const auto address = asio::ip::make_address(options.bind, error);
    if (error)
        throw std::runtime_error("not an address to listen on: " + options.bind);
    return {address, options.port};
}

}  // namespace

struct ServiceServer::State {
    Shared shared;
    std::vector<std::unique_ptr<asio::io_context>> contexts;
    std::vector<asio::executor_work_guard<asio::io_context::executor_type>> work;
    tcp::acceptor acceptor;
    asio::steady_timer tick;
    asio::steady_timer retry;
    std::function<void()> everySecond;
    std::size_t next = 0;
    std::uint16_t port = 0;
    std::vector<std::thread> threads;

    State(const ServerOptions& options, RequestHandler handler, RequestLog& log)
        : shared{std::move(handler), log, options.limits},
          contexts(MakeContexts(options.threads)),
          acceptor(*contexts.front()),
          tick(*contexts.front()),
          retry(*contexts.front()),
          everySecond(options.everySecond) {}

    static std::vector<std::unique_ptr<asio::io_context>> MakeContexts(unsigned count) {
        if (count == 0)
            count = std::max(1u, std::thread::hardware_concurrency());
        std::vector<std::unique_ptr<asio::io_context>> made;
        for (unsigned i = 0; i < count; ++i)
            made.push_back(std::make_unique<asio::io_context>(1));
        return made;
    }

    void Listen(const tcp::endpoint& endpoint) {
        beast::error_code error;
        acceptor.open(endpoint.protocol(), error);
        if (!error)
            linux_impl::SetCloseOnExec(acceptor.native_handle());
        if (!error)
            acceptor.set_option(asio::socket_base::reuse_address(true), error);
        if (!error)
            acceptor.bind(endpoint, error);
        if (!error)
            acceptor.listen(asio::socket_base::max_listen_connections, error);
        if (!error)
            port = acceptor.local_endpoint(error).port();
        if (error)
            throw std::runtime_error("cannot listen on " + endpoint.address().to_string() + ":" +
                                     std::to_string(endpoint.port()) + ": " + error.message());
    }

    void Accept() {
        auto& context = *contexts[next++ % contexts.size()];
        acceptor.async_accept(context, [this](beast::error_code error, tcp::socket socket) {
            if (error == asio::error::operation_aborted)
                return;
            if (error) {
                // Out of descriptors, most likely: try again shortly instead of spinning.
                shared.log.Event("accept failed: " + error.message());
                retry.expires_after(std::chrono::milliseconds(100));
                retry.async_wait([this](beast::error_code waited) {
                    if (!waited)
                        Accept();
                });
                return;
            }
            Admit(std::move(socket));
            Accept();
        });
    }

    void Admit(tcp::socket socket) {
        linux_impl::SetCloseOnExec(socket.native_handle());
        if (shared.connections.load() >= shared.limits.maxConnections) {
            beast::error_code error;
            const auto remote = socket.remote_endpoint(error);
            shared.log.Event("refused a connection from " +
                             (error ? std::string("-") : remote.address().to_string()) + ": " +
                             std::to_string(shared.limits.maxConnections) + " are open");
            return;  // closed as `socket` goes
        }
        ++shared.connections;
        const auto executor = socket.get_executor();
        auto session = std::make_shared<Session>(std::move(socket), shared);
        asio::post(executor, [session] { session->Start(); });
    }

    void Tick() {
        tick.expires_after(std::chrono::seconds(1));
        tick.async_wait([this](beast::error_code error) {
            if (error)
                return;
            try {
                if (everySecond)
                    everySecond();
            } catch (const std::exception& failure) {
                shared.log.Event(std::string("file check failed: ") + failure.what());
            }
            Tick();
        });
    }
};

ServiceServer::ServiceServer(const ServerOptions& options, RequestHandler handler, RequestLog& log)
    : state_(std::make_unique<State>(options, std::move(handler), log)) {
    state_->Listen(Endpoint(options));
    for (auto& context : state_->contexts)
        state_->work.push_back(asio::make_work_guard(*context));
    state_->Accept();
    state_->Tick();
    for (auto& context : state_->contexts)
        state_->threads.emplace_back([&context] { context->run(); });
}

// The connections still open go with their io_contexts, after the threads have ended.
ServiceServer::~ServiceServer() {
    for (auto& context : state_->contexts)
        context->stop();
    for (auto& thread : state_->threads)
        thread.join();
}

std::uint16_t ServiceServer::port() const {
    return state_->port;
}

unsigned ServiceServer::threads() const {
    return static_cast<unsigned>(state_->contexts.size());
}

}  // namespace quendra
