// The transfer engine against a scripted server on 127.0.0.1: how every kind of answer and
// fault ends, credentials, the 416 probe, resume, declining, aborting and the worker's
// notifications.
#include <gtest/gtest.h>

#include <utility>

#include "tests/fakes/LoopbackHttpServer.h"
#include "tests/update/TransferRig.h"
#include "update/HTTPStatus.h"

namespace {

using namespace quendra;
using namespace quendra::testing;
using namespace std::chrono_literals;
using Events = std::vector<std::string>;

std::u16string Address(const LoopbackHttpServer& server, const std::string& path = "/file") {
    return U16("http://127.0.0.1:" + std::to_string(server.port()) + path);
}

TEST(TransferEngine, EveryKindOfEndIntoAFile) {
    const std::string body(1000, 'b');
    const auto full = ServerReply::Text(200, "OK", body);
    const auto partial =
        ServerReply::Reset("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + body.substr(0, 300));
    ServerReply endlessHead{"HTTP/1.1 200 OK\r\n",
                            "X-Filler: 0123456789012345678901234567890123\r\n", 0ms};
    const auto resetAtOnce = ServerReply::Reset("");
    struct Row {
        const char* name;
        ServerReply reply;
        Events events;
        int status;
        std::string file;  // what the output file holds afterwards; "-" when it is gone
        std::string errorContains;
    };
    const Row rows[] = {
        {"complete body", full, {"Done"}, 200, body, ""},
        {"no Content-Length: any amount is complete",
         ServerReply{"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nshort"},
         {"Done"},
         200,
         "short",
         ""},
        {"body longer than Content-Length: the declared bytes",
         ServerReply{"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nfour and more"},
         {"Done"},
         200,
         "four",
         ""},
        {"body shorter than Content-Length: the partial file stays",
         ServerReply{"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + body.substr(0, 300)},
         {"ConnectionLost", "Failed"},
         200,
         body.substr(0, 300),
         "closed the connection before the reply was complete"},
        {"reset in the body", partial, {"ConnectionLost", "Failed"}, 200, body.substr(0, 300), ""},
        {"broken chunk size",
         ServerReply{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nabcd\r\nzz\r\n"},
         {"ConnectionLost", "Failed"},
         200,
         "abcd",
         "not valid HTTP"},
        {"404: error body in memory, file removed",
         ServerReply::Text(404, "Not Found", "<h1>gone</h1>"),
         {"Error", "Failed"},
         404,
         "-",
         ""},
        {"garbage status line",
         ServerReply{"HTPP/1.1 two hundred\r\n\r\n"},
         {"HostUnreachable", "Failed"},
         -1,
         "-",
         "not valid HTTP"},
        {"endless header lines",
         endlessHead,
         {"HostUnreachable", "Failed"},
         -1,
         "-",
         "larger than 65536 bytes"},
        {"reset before any reply", resetAtOnce, {"HostUnreachable", "Failed"}, -1, "-", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackHttpServer server([&](const RecordedRequest&, std::size_t) { return row.reply; });
        TempFolder folder;
        const std::string target = folder.File("out.uTMP");
        TransferRecord record;
        TupCustomHTTP http;
        Record(http, record);
        http.URL = Address(server);
        http.FileName = U16(target);
        http.Timeouts.ReceiveTimeout = 5000;
        ASSERT_TRUE(http.StartTransfer());
        ASSERT_TRUE(WaitUntilIdle(http));
        EXPECT_EQ(record.events, row.events);
        EXPECT_EQ(http.StatusCode(), row.status);
        if (row.file == "-") {
            EXPECT_FALSE(std::filesystem::exists(target));
        } else {
            EXPECT_EQ(ReadFile(target), row.file);
        }
        EXPECT_NE(http.ErrorText().find(row.errorContains), std::string::npos) << http.ErrorText();
        if (row.status == 404) {
            EXPECT_EQ(record.errorBody, "<h1>gone</h1>");
        }
    }
}

TEST(TransferEngine, MemoryOutputAndItsCap) {
    LoopbackHttpServer server([](const RecordedRequest& request, std::size_t) {
        if (request.RequestLine().find("/endless") != std::string::npos) {
            return ServerReply{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                               "400\r\n" + std::string(1024, 'e') + "\r\n", 1ms};
        }
        return ServerReply::Text(200, "OK", "[Update]\r\n#version=1.0.0.1\r\n",
                                 {{"Content-Type", "text/plain"}});
    });
    TransferRecord record;
    TupCustomHTTP http;
    Record(http, record);
    http.URL = Address(server, "/update-qndr.php");
    ASSERT_TRUE(http.StartTransfer());
    ASSERT_TRUE(WaitUntilIdle(http));
    EXPECT_EQ(record.events, Events{"Done"});
    EXPECT_EQ(record.memory, "[Update]\r\n#version=1.0.0.1\r\n");
    EXPECT_EQ(record.doneSize, 28u);

    // A body that never ends stops at the memory cap as a lost connection.
    TransferRecord endless;
    Record(http, endless);
    http.URL = Address(server, "/endless");
    http.MaxMemoryOutput = 64 * 1024;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(http.StartTransfer());
    ASSERT_TRUE(WaitUntilIdle(http));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(endless.events, (Events{"ConnectionLost", "Failed"}));
    EXPECT_EQ(http.ErrorText(), "The body is larger than 65536 bytes");
    EXPECT_LE(endless.memory.size(), 64u * 1024);
}

TEST(TransferEngine, NoAnswerEndsWithinTheLimits) {
    LoopbackHttpServer silent([](const RecordedRequest&, std::size_t) {
        ServerReply reply{"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhalf"};
        reply.holdOpen = true;
        return reply;
    });
    struct Row {
        std::u16string url;
        Events events;
    };
    const Row rows[] = {
        {Address(silent), {"ConnectionLost", "Failed"}},
        {U16("http://127.0.0.1:" + std::to_string(FreePort()) + "/"),
         {"HostUnreachable", "Failed"}},
        {u"ftp://127.0.0.1/file", {"HostUnreachable", "Failed"}},
    };
    for (const auto& row : rows) {
        TransferRecord record;
        TupCustomHTTP http;
        Record(http, record);
        http.URL = row.url;
        http.Timeouts.ReceiveTimeout = 300;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(http.StartTransfer());
        ASSERT_TRUE(WaitUntilIdle(http));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        EXPECT_EQ(record.events, row.events);
    }
}

TEST(TransferEngine, AnswersA401WithCredentials) {
    LoopbackHttpServer server([](const RecordedRequest& request, std::size_t) {
        if (request.Field("Authorization") != "Basic dXNlcjpzZWNyZXQ=")  // user:secret
            return ServerReply::Text(401, "Unauthorized", "no",
                                     {{"WWW-Authenticate", "Basic realm=\"updates\""}});
        return ServerReply::Text(200, "OK", "granted");
    });
    // Given in advance, and given by the password handler when asked.
    for (const bool askHandler : {false, true}) {
        TransferRecord record;
        TupCustomHTTP http;
        Record(http, record);
        std::u16string realm;
        if (askHandler) {
            http.OnHTTPPasswordRequest = [&](TupCustomHTTP& sender, const std::u16string& r,
                                             bool& tryAgain) {
                realm = r;
                sender.HTTPUsername = u"user";
                sender.HTTPPassword = u"secret";
                tryAgain = true;
            };
        } else {
            http.HTTPUsername = u"user";
            http.HTTPPassword = u"secret";
        }
        http.URL = Address(server);
        ASSERT_TRUE(http.StartTransfer());
        ASSERT_TRUE(WaitUntilIdle(http));
        EXPECT_EQ(record.events, Events{"Done"});
        EXPECT_EQ(record.memory, "granted");
        if (askHandler) {
            EXPECT_EQ(realm, u"updates");
        }
    }
    // Without credentials the 401 is the answer.
    TransferRecord record;
    TupCustomHTTP http;
    Record(http, record);
    http.URL = Address(server);
    ASSERT_TRUE(http.StartTransfer());
    ASSERT_TRUE(WaitUntilIdle(http));
    EXPECT_EQ(record.events, (Events{"Error", "Failed"}));
    EXPECT_EQ(record.errorStatus, 401);
}

// A server that serves `entity` with ranges, or ignores them.
ServerReply RangedReply(const RecordedRequest& request, const std::string& entity, bool honour) {
    const std::string range = request.Field("Range");
    if (range.empty() || !honour)
        return ServerReply::Text(200, "OK", entity);
    const auto start = std::stoul(range.substr(6));
    if (start >= entity.size()) {
        return ServerReply::Text(416, "Range Not Satisfiable", "",
                                 {{"Content-Range", "bytes */" + std::to_string(entity.size())}});
    }
    return ServerReply::Text(206, "Partial Content", entity.substr(start),
                             {{"Content-Range", "bytes " + std::to_string(start) + "-" +
                                                    std::to_string(entity.size() - 1) + "/" +
                                                    std::to_string(entity.size())}});
}

TEST(TransferEngine, ResumesAndProbes) {
    std::string entity;
    for (int i = 0; entity.size() < 3000; ++i)
        entity += std::to_string(i) + ",";
    struct Row {
        const char* name;
        std::string stored;
        std::uint32_t start;
        bool honour;
        Events events;
        std::vector<std::string> ranges;  // the Range fields sent
    };
    std::string differing = entity.substr(0, 2000);
    differing[1100] = '#';  // inside the first compared block
    const Row rows[] = {
        {"matching stored data: resumed",
         entity.substr(0, 2000),
         1000,
         true,
         {"Done"},
         {"bytes=1000-"}},
        {"differing stored data: fetched anew",
         differing,
         1000,
         true,
         {"Done"},
         {"bytes=1000-", ""}},
        {"range ignored: the whole entity anew",
         entity.substr(0, 2000),
         1000,
         false,
         {"Done"},
         {"bytes=1000-"}},
        {"416, whole entity is shorter: already complete",
         entity,
         static_cast<std::uint32_t>(entity.size()),
         true,
         {"Failed", "AlreadyComplete"},
         {"bytes=" + std::to_string(entity.size()) + "-", "bytes=0-"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackHttpServer server([&](const RecordedRequest& request, std::size_t) {
            return RangedReply(request, entity, row.honour);
        });
        TempFolder folder;
        const std::string target = folder.File("resume.uTMP");
        WriteFile(target, row.stored);
        TransferRecord record;
        TupCustomHTTP http;
        Record(http, record);
        http.URL = Address(server);
        http.FileName = U16(target);
        http.TransferBufferSize = 255;
        ASSERT_TRUE(http.StartTransfer(row.start, 0));
        ASSERT_TRUE(WaitUntilIdle(http));
        EXPECT_EQ(record.events, row.events);
        EXPECT_EQ(ReadFile(target), entity);
        std::vector<std::string> ranges;
        for (const auto& request : server.requests())
            ranges.push_back(request.Field("Range"));
        EXPECT_EQ(ranges, row.ranges);
    }
}

TEST(TransferEngine, RequestFieldsAndWorkerNotifications) {
    LoopbackHttpServer server([](const RecordedRequest& request, std::size_t index) {
        if (index == 0)
            return ServerReply::Text(302, "Found", "", {{"Location", "/moved"}});
        return ServerReply::Text(200, "OK", request.RequestLine());
    });
    TransferRecord record;
    TupCustomHTTP http;
    Record(http, record);
    std::vector<int> statuses;
    std::vector<std::u16string> redirects;
    int beforeSend = 0;
    http.OnHTTPStatus = [&](TupCustomHTTP&, int status, const std::u16string& text) {
        statuses.push_back(status);
        EXPECT_EQ(text, U16(std::string(HttpStatusText(status))));
    };
    http.OnHTTPRedirect = [&](TupCustomHTTP&, const std::u16string& url) {
        redirects.push_back(url);
    };
    http.OnHTTPBeforeSend = [&](TupCustomHTTP&) { ++beforeSend; };
    http.URL = U16("127.0.0.1:" + std::to_string(server.port()) + "/info?x=1");  // no scheme
    http.CustomHeaders = {u"X-Extra: one"};
    http.CacheOptions = http.CacheOptions.With(TupCacheOption::coPragmaNoCache);
    http.Range = {300, 100};  // the end below the start: the start becomes 0
    ASSERT_TRUE(http.StartTransfer());
    EXPECT_FALSE(http.StartTransfer());  // a second start while the first runs
    ASSERT_TRUE(WaitUntilIdle(http));
    EXPECT_EQ(record.events, Events{"Done"});
    EXPECT_EQ(record.memory, "GET /moved HTTP/1.1");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(requests[0].head, "GET /info?x=1 HTTP/1.1\r\nHost: " + host +
                                    "\r\nAccept: text/html, */*\r\nUser-Agent: TupCustomHTTP "
                                    "(quendra.example)\r\nX-Extra: one\r\nRange: bytes=0-100\r\n"
                                    "Connection: keep-alive\r\n\r\n");
    EXPECT_EQ(beforeSend, 1);
    EXPECT_EQ(redirects, std::vector<std::u16string>{U16("http://" + host + "/moved")});
    for (const int stage : {kStatusConnectingToServer, kStatusConnectedToServer,
                            kStatusSendingRequest, kStatusRequestSent, kStatusReceivingResponse,
                            kStatusResponseReceived, kStatusRedirect, kStatusClosingConnection}) {
        EXPECT_NE(std::find(statuses.begin(), statuses.end(), stage), statuses.end()) << stage;
    }
}

TEST(TransferEngine, HandlersStartTheNextTransfer) {
    LoopbackHttpServer server([](const RecordedRequest& request, std::size_t) {
        if (request.RequestLine().find("/missing") != std::string::npos)
            return ServerReply::Text(404, "Not Found", "");
        return ServerReply::Text(200, "OK", request.RequestLine().substr(4, 3));
    });
    TempFolder folder;
    TupCustomHTTP http;
    std::vector<std::string> seen;
    // /a into memory; from its Done /missing into a file; from that Error /b into a file.
    http.OnHTTPDone = [&](TupCustomHTTP& sender, const std::string&, std::uint32_t,
                          const std::string* memory) {
        seen.push_back("Done " + (memory ? *memory : ReadFile(folder.File("b.uTMP"))));
        if (seen.size() == 1) {
            sender.ResetTransfer();
            sender.URL = Address(server, "/missing");
            sender.FileName = U16(folder.File("b.uTMP"));
            EXPECT_TRUE(sender.StartTransfer());
        }
    };
    http.OnHTTPError = [&](TupCustomHTTP& sender, int status, const std::string*) {
        seen.push_back("Error " + std::to_string(status));
        sender.ResetTransfer();
        sender.URL = Address(server, "/b");
        EXPECT_TRUE(sender.StartTransfer());
    };
    http.URL = Address(server, "/a");
    ASSERT_TRUE(http.StartTransfer());
    ASSERT_TRUE(RunUiLoopUntil([&] { return seen.size() == 3 && !http.IsBusy(); }, 20s));
    EXPECT_EQ(seen, (std::vector<std::string>{"Done /a ", "Error 404", "Done /b "}));
}

TEST(TransferEngine, HeaderHandlerDeclines) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
        return ServerReply::Text(
            200, "OK", "body",
            {{"Last-Modified", "Sun, 06 Nov 1994 08:49:37 GMT"}, {"ETag", "\"e1\""}});
    });
    TransferRecord record;
    TupCustomHTTP http;
    Record(http, record);
    TupHTTPHeaderInfo seen;
    http.OnHTTPHeaderInfo = [&](TupCustomHTTP&, const TupHTTPHeaderInfo& info, bool& keepGoing) {
        seen = info;
        keepGoing = false;
    };
    http.URL = Address(server);
    ASSERT_TRUE(http.StartTransfer());
    ASSERT_TRUE(WaitUntilIdle(http));
    EXPECT_EQ(record.events, Events{"Declined"});
    EXPECT_EQ(seen.StatusCode, 200);
    EXPECT_EQ(seen.FileSize, 4u);
    EXPECT_EQ(seen.ETag, "\"e1\"");
    EXPECT_NE(seen.LastModified, 0);
    EXPECT_TRUE(seen.RawHeaders.starts_with("HTTP/1.1 200 OK\r\n"));
}

TEST(TransferEngine, FileAddresses) {
    TempFolder folder;
    WriteFile(folder.File("source.txt"), "local bytes");
    struct Row {
        std::string url;
        Events events;
        int status;
    };
    const Row rows[] = {
        {"file://" + folder.File("source.txt"), {"Done"}, 200},
        {"file://" + folder.File("missing.txt"), {"Error", "Failed"}, 404},
    };
    for (const auto& row : rows) {
        TransferRecord record;
        TupCustomHTTP http;
        Record(http, record);
        http.URL = U16(row.url);
        ASSERT_TRUE(http.StartTransfer());
        ASSERT_TRUE(WaitUntilIdle(http));
        EXPECT_EQ(record.events, row.events) << row.url;
        EXPECT_EQ(http.StatusCode(), row.status);
        if (row.status == 200) {
            EXPECT_EQ(record.memory, "local bytes");
        }
    }
}

TEST(TransferEngine, AbortsAtOnce) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
        ServerReply reply{"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" +
                          std::string(1000, 'x')};
        reply.holdOpen = true;
        return reply;
    });
    TempFolder folder;
    const std::string target = folder.File("aborted.uTMP");
    for (const bool immediately : {true, false}) {
        TransferRecord record;
        TupCustomHTTP http;
        Record(http, record);
        bool aborting = false;
        http.OnHTTPProgress = [&](TupCustomHTTP& sender, const TupHTTPProgress&,
                                  const std::string*) {
            if (!std::exchange(aborting, true))
                sender.AbortTransfer(true, immediately);
        };
        http.URL = Address(server);
        http.FileName = U16(target);
        http.TransferBufferSize = 255;
        ASSERT_TRUE(http.StartTransfer());
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(RunUiLoopUntil([&] { return !record.events.empty(); }, 10s));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        EXPECT_EQ(record.events, Events{"Aborted"});
        EXPECT_FALSE(std::filesystem::exists(target));
        // The next run starts at once.
        TransferRecord next;
        Record(http, next);
        http.URL = u"file://" + U16(folder.File("none"));
        http.FileName.clear();
        ASSERT_TRUE(http.StartTransfer());
        ASSERT_TRUE(WaitUntilIdle(http));
        EXPECT_EQ(next.events, (Events{"Error", "Failed"}));
    }
    EXPECT_TRUE(WaitForWorkerThreads(10s));
}

TEST(TransferEngine, DestructionDuringARunRaisesNothing) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
        ServerReply reply{"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n"};
        reply.holdOpen = true;
        return reply;
    });
    TransferRecord record;
    {
        TupCustomHTTP http;
        Record(http, record);
        http.URL = Address(server);
        ASSERT_TRUE(http.StartTransfer());
        RunUiLoopUntil([] { return false; }, 100ms);
    }
    EXPECT_TRUE(WaitForWorkerThreads(10s));
    DrainHandOff();
    EXPECT_TRUE(record.events.empty());
}

}  // namespace
