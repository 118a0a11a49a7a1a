#include "net/NameLookup.h"

#include <boost/asio/io_context.hpp>
#include <condition_variable>
#include <exception>
#include <thread>

namespace quendra::detail {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

struct NameLookup::Pending {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool cancelled = false;
    tcp::resolver::results_type endpoints;
    boost::system::error_code error;
};

Resolution NameLookup::Run(const HostAddress& server, Clock::time_point deadline) {
    const std::string port = std::to_string(server.port);
    {
        // Numeric addresses need no lookup and resolve at once.
        asio::io_context ioc;
        tcp::resolver resolver(ioc);
        boost::system::error_code ec;
        auto endpoints = resolver.resolve(
            server.host, port, tcp::resolver::numeric_host | tcp::resolver::numeric_service, ec);
        if (!ec)
            return {std::move(endpoints), std::nullopt};
    }

    auto pending = std::make_shared<Pending>();
    {
        const std::lock_guard lock(mutex_);
        if (cancelled_)
            return {{}, HttpFailure{HttpFailureKind::Cancelled, "Cancelled"}};
        pending_ = pending;
    }
    try {
        std::thread([pending, host = server.host, port] {
            tcp::resolver::results_type endpoints;
            boost::system::error_code ec;
            try {
                asio::io_context ioc;
                tcp::resolver resolver(ioc);
                endpoints = resolver.resolve(host, port, tcp::resolver::numeric_service, ec);
            } catch (const std::exception&) {
                ec = asio::error::no_memory;
            }
            const std::lock_guard lock(pending->mutex);
            pending->endpoints = std::move(endpoints);
            pending->error = ec;
            pending->finished = true;
            pending->done.notify_all();
        }).detach();
    } catch (const std::exception& e) {
        return {{},
                HttpFailure{HttpFailureKind::Resolve,
                            "Cannot look up " + server.host + ": " + e.what()}};
    }

    std::unique_lock lock(pending->mutex);
    if (!pending->done.wait_until(lock, deadline,
                                  [&] { return pending->finished || pending->cancelled; })) {
        return {{}, HttpFailure{HttpFailureKind::ConnectTimeout, {}}};
    }
    if (!pending->finished)
        return {{}, HttpFailure{HttpFailureKind::Cancelled, "Cancelled"}};
    if (pending->error || pending->endpoints.empty()) {
        const std::string cause =
            pending->error ? pending->error.message() : std::string("no address");
        return {{},
                HttpFailure{HttpFailureKind::Resolve,
                            "Cannot find the address of " + server.host + ": " + cause}};
    }
    return {std::move(pending->endpoints), std::nullopt};
}

void NameLookup::Cancel() {
    std::shared_ptr<Pending> pending;
    {
        const std::lock_guard lock(mutex_);
        cancelled_ = true;
        pending = pending_;
    }
    if (!pending)
        return;
    const std::lock_guard lock(pending->mutex);
    pending->cancelled = true;
    pending->done.notify_all();
}

}  // namespace quendra::detail
