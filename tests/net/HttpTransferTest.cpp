// The transfer client against the loopback server: its socket is close-on-exec, a cancel
// from another thread ends a blocked step at once, and stages are reported in order.
#include "net/HttpTransfer.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "tests/fakes/LoopbackHttpServer.h"

namespace {

using namespace quendra;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(HttpTransfer, SocketIsCloseOnExecAndACancelEndsABlockedRead) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
        ServerReply reply{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nfirst"};
        reply.holdOpen = true;
        return reply;
    });
    std::vector<TransferStage> stages;
    TransferRequest request;
    request.url = "http://localhost:" + std::to_string(server.port()) + "/held";
    request.onStage = [&](TransferStage stage, const std::string&) { stages.push_back(stage); };
    HttpTransfer transfer(std::move(request));
    ASSERT_FALSE(transfer.Open());
    EXPECT_EQ(transfer.Reply().status, 200u);
    EXPECT_EQ(transfer.Reply().contentLength, 100u);

    const int fd = transfer.NativeHandle();
    ASSERT_GE(fd, 0);
    EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);

    char buffer[100];
    std::thread canceller([&] {
        std::this_thread::sleep_for(100ms);
        transfer.Cancel();
    });
    const auto start = Clock::now();
    const auto read = transfer.Read(buffer, sizeof buffer);
    canceller.join();
    EXPECT_LT(Clock::now() - start, 5s);  // the receive limit is 60 s
    EXPECT_EQ(read.bytes, 5u);
    ASSERT_TRUE(read.failure);
    EXPECT_EQ(read.failure->kind, HttpFailureKind::Cancelled);
    EXPECT_EQ(transfer.NativeHandle(), -1);

    const std::vector<TransferStage> opening = {
        TransferStage::ResolvingName,      TransferStage::NameResolved,
        TransferStage::ConnectingToServer, TransferStage::ConnectedToServer,
        TransferStage::SendingRequest,     TransferStage::RequestSent,
        TransferStage::ReceivingResponse,  TransferStage::ResponseReceived,
    };
    // "localhost" may first name an address nothing listens on (::1): its attempt repeats
    // the resolved and connecting stages.
    std::vector<TransferStage> seen;
    for (const auto stage : stages) {
        if (seen.empty() || seen.back() != stage)
            seen.push_back(stage);
    }
    ASSERT_GE(seen.size(), opening.size());
    EXPECT_EQ(seen.front(), TransferStage::ResolvingName);
    const auto lastConnect =
        std::find(seen.rbegin(), seen.rend(), TransferStage::ConnectingToServer).base() - 1;
    ASSERT_GE(seen.end() - lastConnect, 6);
    EXPECT_EQ(std::vector<TransferStage>(lastConnect, lastConnect + 6),
              std::vector<TransferStage>(opening.begin() + 2, opening.end()));
}

}  // namespace
