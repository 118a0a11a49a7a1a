#include "net/Connection.h"

#include <cerrno>

#include "net/linux/StreamSocket.h"

namespace quendra::detail {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

StepRunner::Outcome StepRunner::Run(const std::function<void()>& start, const bool& finished,
                                    Clock::time_point deadline,
                                    const std::function<void()>& abort) {
    if (cancelled_)
        return Outcome::Cancelled;
    ioc_.restart();
    start();
    // Cancel sets the flag before it stops the context, so a stop that comes between the
    // check and the run still ends the run at once.
    while (!finished && !cancelled_ && Clock::now() < deadline) {
        if (ioc_.run_one_until(deadline) == 0 && ioc_.stopped() && !cancelled_)
            ioc_.restart();
    }
    if (finished)
        return Outcome::Done;
    abort();
    ioc_.restart();
    while (!finished && ioc_.run_one_for(std::chrono::seconds(1)) != 0) {
    }
    return cancelled_ ? Outcome::Cancelled : Outcome::TimedOut;
}

void StepRunner::Cancel() {
    cancelled_ = true;
    ioc_.stop();
}

std::optional<HttpFailure> ConnectTcp(
    StepRunner& runner, NameLookup& lookup, tcp::socket& socket, const HostAddress& server,
    Clock::time_point deadline,
    const std::function<void(ConnectStage, const std::string&)>& onStage) {
    const auto report = [&](ConnectStage stage, const std::string& data) {
        if (onStage)
            onStage(stage, data);
    };
    const std::string peer = HostFieldValue(server);
    report(ConnectStage::ResolvingName, server.host);
    auto resolution = lookup.Run(server, deadline);
    if (resolution.failure)
        return resolution.failure;

    boost::system::error_code lastError = asio::error::host_not_found;
    for (const auto& entry : resolution.endpoints) {
        const tcp::endpoint endpoint = entry.endpoint();
        const std::string address = endpoint.address().to_string();
        report(ConnectStage::NameResolved, address);
        boost::system::error_code ec;
        if (socket.is_open())
            socket.close(ec);
        const int fd = linux_impl::OpenStreamSocket(endpoint.protocol().family());
        if (fd < 0) {
            lastError.assign(errno, boost::system::system_category());
            continue;
        }
        socket.assign(endpoint.protocol(), fd, ec);
        if (ec) {
            lastError = ec;
            continue;
        }
        report(ConnectStage::Connecting, address);
        bool finished = false;
        boost::system::error_code connectError;
        const auto outcome = runner.Run(
            [&] {
                socket.async_connect(endpoint, [&](boost::system::error_code result) {
                    connectError = result;
                    finished = true;
                });
            },
            finished, deadline,
            [&] {
                boost::system::error_code ignored;
                socket.close(ignored);
            });
        if (outcome == StepRunner::Outcome::Cancelled)
            return HttpFailure{HttpFailureKind::Cancelled, "Cancelled"};
        if (outcome == StepRunner::Outcome::TimedOut)
            return HttpFailure{HttpFailureKind::ConnectTimeout, {}};
        if (!connectError) {
            report(ConnectStage::Connected, address);
            return std::nullopt;
        }
        lastError = connectError;
    }
    boost::system::error_code ignored;
    socket.close(ignored);
    return HttpFailure{HttpFailureKind::Connect,
                       "Cannot connect to " + peer + ": " + lastError.message()};
}

}  // namespace quendra::detail
