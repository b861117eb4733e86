#include "qt/QtInternetTransfer.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "EventLoop.h"
#include "TestServers.h"
#include "platform/Failure.h"

namespace quibrant::test {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using State = platform::InternetTransfer::State;

constexpr int kWaitMs = 15000;

long countOf(const std::vector<std::int16_t>& states, std::int16_t state) {
    return std::count(states.begin(), states.end(), state);
}

std::string mainServer(const std::string& baseUrl) {
    return baseUrl;
}

// Drives one request the way the window does: every state is recorded, and
// on state 12 the whole body is read from inside the notification.
struct Download {
    explicit Download(qt::QtInternetTransfer& transfer) : inet(transfer) {
        inet.onStateChanged([this](std::int16_t state) {
            states.push_back(state);
            onWindowThread = onWindowThread && QThread::currentThread() == qApp->thread();
            if (state == State::kResponseCompleted) {
                readBody();
            }
        });
    }

    void start(const std::string& url) {
        inet.setUserName(inet.UserName().empty() ? "prueba" : inet.UserName());
        inet.setPassword(inet.Password().empty() ? "secreto" : inet.Password());
        inet.setSetting14(0);
        inet.setURL(url);
        inet.Execute("GET");
    }

    void readBody() {
        try {
            for (;;) {
                const std::string_view piece = inet.GetChunk(pieceSize);
                if (piece.empty()) {
                    break;
                }
                sizes.push_back(piece.size());
                body.append(piece);
                if (afterPiece) {
                    afterPiece();
                }
            }
            ended = true;
        } catch (const platform::Failure& failure) {
            this->failure = failure.description();
        }
    }

    bool finished() const {
        return ended || failure.has_value() ||
               std::count(states.begin(), states.end(), State::kError) > 0;
    }
    bool run(int timeoutMs = kWaitMs) {
        return runUntil([this] { return finished(); }, timeoutMs);
    }

    qt::QtInternetTransfer& inet;
    std::vector<std::int16_t> states;
    std::vector<std::size_t> sizes;
    std::string body;
    bool ended = false;
    bool onWindowThread = true;
    std::optional<std::string> failure;
    std::int16_t pieceSize = 1024;
    std::function<void()> afterPiece;
};

class InternetTransferTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { server = std::make_unique<ScriptedServer>(); }
    static void TearDownTestSuite() { server.reset(); }

    static std::unique_ptr<ScriptedServer> server;
};
std::unique_ptr<ScriptedServer> InternetTransferTest::server;

TEST_F(InternetTransferTest, DeliversTheBodyInPiecesWithItsHeadersAndStates) {
    qt::QtInternetTransfer inet(mainServer(server->https("/")));
    Download download(inet);
    download.start(server->https("/ok/5000"));
    ASSERT_TRUE(download.run());

    EXPECT_FALSE(download.failure.has_value()) << *download.failure;
    EXPECT_TRUE(download.ended);
    EXPECT_TRUE(download.body == pattern(5000));
    EXPECT_TRUE(std::all_of(download.sizes.begin(), download.sizes.end(),
                            [](std::size_t size) { return size >= 1 && size <= 1024; }));
    EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
    EXPECT_THAT(download.states, Contains(State::kRequestSent));
    EXPECT_EQ(countOf(download.states, State::kError), 0);
    EXPECT_TRUE(download.onWindowThread);

    // Header names are matched without regard to case; an absent one is "".
    EXPECT_EQ(inet.GetHeader("Content-length"), "5000");
    EXPECT_EQ(inet.GetHeader("CONTENT-LENGTH"), "5000");
    EXPECT_EQ(inet.GetHeader("x-prueba"), "Valor");
    EXPECT_EQ(inet.GetHeader("X-No-Existe"), "");
    EXPECT_EQ(inet.responseCode(), 200);
    EXPECT_EQ(inet.responseReason(), "OK");
    // Once the body is complete every further piece is empty.
    EXPECT_TRUE(inet.GetChunk(1024).empty());
}

TEST_F(InternetTransferTest, HandsOutNoMoreThanTheSizeAskedFor) {
    qt::QtInternetTransfer inet(mainServer(server->https("/")));
    Download download(inet);
    download.pieceSize = 7;
    download.start(server->https("/ok/100"));
    ASSERT_TRUE(download.run());
    EXPECT_TRUE(download.body == pattern(100));
    EXPECT_EQ(*std::max_element(download.sizes.begin(), download.sizes.end()), 7u);
}

TEST_F(InternetTransferTest, ReadsABodyWithoutAnnouncedLength) {
    qt::QtInternetTransfer inet(mainServer(server->https("/")));
    Download download(inet);
    download.start(server->https("/chunked/4000"));
    ASSERT_TRUE(download.run());
    EXPECT_EQ(inet.GetHeader("Content-Length"), "");
    EXPECT_TRUE(download.body == pattern(4000));
}

TEST_F(InternetTransferTest, ReportsAnErrorStatusWithItsReason) {
    qt::QtInternetTransfer inet(mainServer(server->https("/")));
    Download download(inet);
    download.start(server->https("/status/404"));
    ASSERT_TRUE(download.run());
    EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
    EXPECT_EQ(inet.responseCode(), 404);
    EXPECT_EQ(inet.responseReason(), "Not Found");
}

// Requests that never get an answer only ever raise state 11, once.
TEST_F(InternetTransferTest, RaisesOnlyTheErrorStateWhenNoAnswerComes) {
    for (const int port :
         {server->untrustedPort(), server->otherHostPort(), server->closedPort()}) {
        SCOPED_TRACE(port);
        qt::QtInternetTransfer inet(mainServer(server->https("/")));
        Download download(inet);
        download.start("https://127.0.0.1:" + std::to_string(port) + "/ok/10");
        ASSERT_TRUE(download.run());
        runFor(100);
        EXPECT_EQ(countOf(download.states, State::kError), 1);
        EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 0);
        EXPECT_EQ(inet.responseCode(), 0);
        EXPECT_TRUE(download.body.empty());
    }
}

TEST_F(InternetTransferTest, FailsABodyCutShortWithTheBytesReceived) {
    struct Case {
        std::string path;
        std::string expected;
    };
    for (const Case& cut : {Case{"/short/5000/2000", "se recibieron 2000 de 5000 bytes"},
                            Case{"/reset/300000/100000", "se recibieron 100000 de 300000 bytes"}}) {
        SCOPED_TRACE(cut.path);
        qt::QtInternetTransfer inet(mainServer(server->https("/")));
        Download download(inet);
        download.start(server->https(cut.path));
        ASSERT_TRUE(download.run());
        ASSERT_TRUE(download.failure.has_value());
        EXPECT_THAT(*download.failure,
                    AllOf(HasSubstr("La descarga se interrumpió"), HasSubstr(cut.expected)));
        // A failed body keeps failing: it is never mistaken for a complete one.
        EXPECT_THROW(inet.GetChunk(1024), platform::Failure);
    }
}

TEST_F(InternetTransferTest, FailsABodyThatStalls) {
    qt::QtInternetTransfer inet(mainServer(server->https("/")));
    inet.setStallTimeout(std::chrono::milliseconds(1500));
    Download download(inet);
    download.start(server->https("/stall/10000/3000"));
    ASSERT_TRUE(download.run());
    ASSERT_TRUE(download.failure.has_value());
    EXPECT_THAT(*download.failure,
                AllOf(HasSubstr("el servidor no envió datos"), HasSubstr("3000 de 10000")));
    EXPECT_TRUE(download.body == pattern(3000));
}

TEST_F(InternetTransferTest, CancelEndsAWaitingPieceAndDropsLaterStates) {
    qt::QtInternetTransfer inet(mainServer(server->https("/")));
    Download download(inet);
    bool cancelScheduled = false;
    download.afterPiece = [&] {
        if (!cancelScheduled) {
            cancelScheduled = true;
            QTimer::singleShot(200, [&] { inet.Cancel(); });
        }
    };
    download.start(server->https("/stall/10000/3000"));
    ASSERT_TRUE(download.run(5000));
    ASSERT_TRUE(download.failure.has_value());
    EXPECT_EQ(*download.failure, "La descarga se canceló.");
    const std::size_t statesSeen = download.states.size();
    runFor(200);
    EXPECT_EQ(download.states.size(), statesSeen);
    EXPECT_NO_THROW(inet.Cancel());
}

TEST_F(InternetTransferTest, ANewRequestAfterACancelledOneStartsClean) {
    qt::QtInternetTransfer inet(mainServer(server->https("/")));
    Download download(inet);
    download.start(server->https("/silent"));
    runFor(300);
    inet.Cancel();
    download.states.clear();
    download.start(server->https("/ok/2048"));
    ASSERT_TRUE(download.run());
    EXPECT_TRUE(download.body == pattern(2048));
    EXPECT_EQ(countOf(download.states, State::kError), 0);
    EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
}

// The credentials answer a challenge of the main server over HTTPS, and no
// other: not another host, not plain HTTP, and not twice when refused.
TEST_F(InternetTransferTest, GivesTheCredentialsOnlyToTheMainServerOverHttps) {
    const std::string otherHost = "https://localhost:" + std::to_string(server->httpsPort()) + "/";
    const std::string samePortPlain =
        "https://127.0.0.1:" + std::to_string(server->httpPort()) + "/";
    struct Case {
        std::string main;
        std::string url;
        std::string password;
        int status;
    };
    for (const Case& c : {Case{server->https("/"), server->https("/auth/5"), "secreto", 200},
                          Case{otherHost, server->https("/auth/5"), "secreto", 401},
                          Case{samePortPlain, server->http("/auth/5"), "secreto", 401},
                          Case{server->https("/"), server->https("/auth/5"), "malo", 401}}) {
        SCOPED_TRACE(c.main + " " + c.url + " " + c.password);
        qt::QtInternetTransfer inet(mainServer(c.main));
        inet.setPassword(c.password);
        Download download(inet);
        download.start(c.url);
        ASSERT_TRUE(download.run());
        EXPECT_EQ(inet.responseCode(), c.status);
        EXPECT_EQ(download.body == pattern(5), c.status == 200);
    }
}

TEST_F(InternetTransferTest, FollowsSecureRedirectsAndRefusesOnesToPlainHttp) {
    {
        qt::QtInternetTransfer inet(mainServer(server->https("/")));
        Download download(inet);
        download.start(server->https("/redirect/3000"));
        ASSERT_TRUE(download.run());
        EXPECT_EQ(inet.responseCode(), 200);
        EXPECT_TRUE(download.body == pattern(3000));
        EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
    }
    {
        qt::QtInternetTransfer inet(mainServer(server->https("/")));
        Download download(inet);
        download.start(server->https("/redirect-http/3000"));
        ASSERT_TRUE(download.run());
        runFor(100);
        // The refused redirect is the answer: the caller sees its status and
        // never a byte of the plain-HTTP file.
        EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
        EXPECT_EQ(inet.responseCode(), 302);
        EXPECT_TRUE(download.body.empty());
    }
}

TEST_F(InternetTransferTest, RefusesWhatItCannotRequest) {
    qt::QtInternetTransfer inet(mainServer(server->https("/")));
    inet.setURL(server->https("/ok/5"));
    EXPECT_THROW(inet.Execute("PUT"), platform::Failure);
    for (const char* url : {"ftp://127.0.0.1/quibrant6_3.exe", "file:///etc/passwd", ""}) {
        SCOPED_TRACE(url);
        inet.setURL(url);
        EXPECT_THROW(inet.Execute("GET"), platform::Failure);
    }
    EXPECT_THROW(inet.GetChunk(1024), platform::Failure);
}

// Users behind a company proxy reach the server through it. Qt never sends
// loopback addresses to a proxy, so the request names a host that only the
// test proxy knows (it leads every name to 127.0.0.1), and whose certificate
// the test authority signed.
TEST_F(InternetTransferTest, GoesThroughTheProxyTheSystemNames) {
    qputenv("https_proxy", QByteArray::fromStdString(server->http("")));
    qunsetenv("no_proxy");
    qunsetenv("NO_PROXY");
    qt::QtInternetTransfer inet(mainServer(server->https("/")));
    Download download(inet);
    download.start("https://otro-servidor.example:" + std::to_string(server->otherHostPort()) +
                   "/ok/2000");
    ASSERT_TRUE(download.run());
    qunsetenv("https_proxy");
    EXPECT_EQ(countOf(download.states, State::kError), 0);
    EXPECT_TRUE(download.body == pattern(2000));

    Download count(inet);
    count.start(server->https("/tunnels"));
    ASSERT_TRUE(count.run());
    EXPECT_EQ(count.body, "1");
}

// A reader that falls behind the network must not let the body pile up in
// memory: the reply's buffer is bounded.
TEST_F(InternetTransferTest, KeepsMemoryFlatWhenTheReaderFallsBehind) {
    NginxServer nginx;
    qt::QtInternetTransfer inet(mainServer(nginx.baseUrl()));
    Download download(inet);
    constexpr std::size_t kSize = 64u * 1024 * 1024;
    std::int64_t heldWhilePaused = 0;
    std::int64_t mostHeld = 0;
    std::size_t total = 0;
    bool paused = false;
    inet.onStateChanged([&](std::int16_t state) {
        if (state != State::kResponseCompleted) {
            return;
        }
        for (;;) {
            const std::string_view piece = inet.GetChunk(1024);
            if (piece.empty()) {
                break;
            }
            total += piece.size();
            mostHeld = std::max(mostHeld, inet.bufferedBytes());
            if (!paused) {
                // The network runs on while the reader does nothing; an
                // unbounded reply would take in the whole body meanwhile.
                paused = true;
                runFor(1500);
                heldWhilePaused = inet.bufferedBytes();
            }
        }
        download.ended = true;
    });
    inet.setURL(nginx.baseUrl() + "flat.bin");
    inet.Execute("GET");
    ASSERT_TRUE(runUntil([&] { return download.ended; }, 60000));
    EXPECT_EQ(total, kSize);
    EXPECT_GT(heldWhilePaused, 0);
    EXPECT_LT(heldWhilePaused, 4L * 1024 * 1024);
    EXPECT_LT(mostHeld, 4L * 1024 * 1024);
}

}  // namespace
}  // namespace quibrant::test
