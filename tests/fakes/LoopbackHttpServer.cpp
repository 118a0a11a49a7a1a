#include "tests/fakes/LoopbackHttpServer.h"

#include <boost/asio.hpp>
#include <charconv>
#include <mutex>
#include <thread>

#include "util/TextRules.h"

namespace quendra {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

namespace {

std::size_t ContentLength(const RecordedRequest& request) {
    const std::string value = request.Field("Content-Length");
    std::size_t length = 0;
    std::from_chars(value.data(), value.data() + value.size(), length);
    return length;
}

}  // namespace

std::string RecordedRequest::Field(std::string_view name) const {
    std::string_view rest(head);
    while (true) {
        const auto lineEnd = rest.find("\r\n");
        if (lineEnd == std::string_view::npos || lineEnd == 0)
            return {};
        const auto line = rest.substr(0, lineEnd);
        rest.remove_prefix(lineEnd + 2);
        const auto colon = line.find(':');
        if (colon != std::string_view::npos && EqualsNoCase(line.substr(0, colon), name)) {
            auto value = line.substr(colon + 1);
            while (value.starts_with(' '))
                value.remove_prefix(1);
            return std::string(value);
        }
    }
}

ServerReply ServerReply::Text(unsigned status, std::string_view reason, std::string_view body,
                              const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string bytes = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
    for (const auto& [name, value] : fields)
        bytes += name + ": " + value + "\r\n";
    bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    bytes += "Connection: close\r\n\r\n";
    bytes += body;
    return ServerReply{std::move(bytes)};
}

ServerReply ServerReply::Reset(std::string bytes) {
    ServerReply reply{std::move(bytes)};
    reply.reset = true;
    return reply;
}

std::uint16_t FreePort() {
    asio::io_context ioc;
    tcp::acceptor acceptor(ioc, {asio::ip::make_address("127.0.0.1"), 0});
    return acceptor.local_endpoint().port();
}

struct LoopbackHttpServer::State {
    asio::io_context ioc;
    tcp::acceptor acceptor{ioc};
    asio::steady_timer lifetime{ioc};
    Handler handler;
    mutable std::mutex mutex;
    std::vector<RecordedRequest> requests;
    std::thread thread;

    struct Session : std::enable_shared_from_this<Session> {
        State* server;
        tcp::socket socket;
        std::string input;
        RecordedRequest request;
        ServerReply reply;
        asio::steady_timer timer;

        Session(State* s, tcp::socket sock) : server(s), socket(std::move(sock)), timer(s->ioc) {}

        void Start() {
            auto self = shared_from_this();
            asio::async_read_until(socket, asio::dynamic_buffer(input), "\r\n\r\n",
                                   [self](boost::system::error_code ec, std::size_t headEnd) {
                                       if (!ec)
                                           self->ReadBody(headEnd);
                                   });
        }

        void ReadBody(std::size_t headEnd) {
            request.head = input.substr(0, headEnd);
            const std::size_t total = headEnd + ContentLength(request);
            if (input.size() >= total)
                return Answer(total);
            auto self = shared_from_this();
            asio::async_read(socket, asio::dynamic_buffer(input),
                             asio::transfer_exactly(total - input.size()),
                             [self, total](boost::system::error_code ec, std::size_t) {
                                 if (!ec)
                                     self->Answer(total);
                             });
        }

        void Answer(std::size_t total) {
            request.bytes = input.substr(0, total);
            request.body = input.substr(request.head.size(), total - request.head.size());
            std::size_t index = 0;
            {
                const std::lock_guard lock(server->mutex);
                index = server->requests.size();
                server->requests.push_back(request);
            }
            reply = server->handler(request, index);
            auto self = shared_from_this();
            asio::async_write(socket, asio::buffer(reply.bytes),
                              [self](boost::system::error_code ec, std::size_t) {
                                  if (!ec)
                                      self->WriteNext(0);
                              });
        }

        // Writes the pieces of `then` with their pauses, then ends as the reply says.
        void WriteNext(std::size_t piece) {
            if (piece == reply.then.size())
                return Finish();
            auto self = shared_from_this();
            timer.expires_after(reply.pause);
            timer.async_wait([self, piece](boost::system::error_code ec) {
                if (ec)
                    return;
                asio::async_write(self->socket, asio::buffer(self->reply.then[piece]),
                                  [self, piece](boost::system::error_code writeError, std::size_t) {
                                      if (!writeError)
                                          self->WriteNext(piece + 1);
                                  });
            });
        }

        void Finish() {
            if (!reply.repeat.empty())
                return Repeat();
            if (reply.holdOpen)
                return Hold();
            boost::system::error_code ignored;
            if (reply.reset) {
                socket.set_option(asio::socket_base::linger(true, 0), ignored);
                socket.close(ignored);
                return;
            }
            socket.shutdown(tcp::socket::shutdown_send, ignored);
        }

        void Repeat() {
            auto self = shared_from_this();
            timer.expires_after(reply.every);
            timer.async_wait([self](boost::system::error_code ec) {
                if (ec)
                    return;
                asio::async_write(self->socket, asio::buffer(self->reply.repeat),
                                  [self](boost::system::error_code writeError, std::size_t) {
                                      if (!writeError)
                                          self->Repeat();
                                  });
            });
        }

        // Waits for the client to go away; the server's end stays silent until then.
        void Hold() {
            auto self = shared_from_this();
            socket.async_read_some(asio::buffer(scratch),
                                   [self](boost::system::error_code ec, std::size_t) {
                                       if (!ec)
                                           self->Hold();
                                   });
        }
        char scratch[256];
    };

    void Accept() {
        acceptor.async_accept([this](boost::system::error_code ec, tcp::socket socket) {
            if (ec)
                return;
            std::make_shared<Session>(this, std::move(socket))->Start();
            Accept();
        });
    }
};

LoopbackHttpServer::LoopbackHttpServer(Handler handler, std::chrono::seconds lifetime)
    : state_(std::make_unique<State>()) {
    state_->handler = std::move(handler);
    const tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), 0);
    state_->acceptor.open(endpoint.protocol());
    state_->acceptor.set_option(tcp::acceptor::reuse_address(true));
    state_->acceptor.bind(endpoint);
    state_->acceptor.listen();
    state_->Accept();
    state_->lifetime.expires_after(lifetime);
    state_->lifetime.async_wait([state = state_.get()](boost::system::error_code ec) {
        if (!ec)
            state->ioc.stop();
    });
    state_->thread = std::thread([state = state_.get()] { state->ioc.run(); });
}

// Pending sessions live in the context's handlers and go with it.
LoopbackHttpServer::~LoopbackHttpServer() {
    state_->ioc.stop();
    state_->thread.join();
}

std::uint16_t LoopbackHttpServer::port() const {
    return state_->acceptor.local_endpoint().port();
}

std::vector<RecordedRequest> LoopbackHttpServer::requests() const {
    const std::lock_guard lock(state_->mutex);
    return state_->requests;
}

}  // namespace quendra
