#pragma once

// What every transfer component promises, checked against real servers on
// 127.0.0.1. A test program instantiates the suite with a traits type:
//
//   struct Traits {
//       using Component = ...;  // an InternetTransfer with setStallTimeout
//                               // and bufferedBytes
//       static void startServers();  static void stopServers();
//       static std::unique_ptr<Component> make(const std::string& mainServerBaseUrl);
//       static std::string url(Server server, const std::string& path);
//       // Paths of the trusted server that redirect, over HTTPS, to "/ok/3000".
//       static std::vector<std::string> secureRedirects();
//       static bool runUntil(const std::function<bool()>& done, int timeoutMs);
//       // Runs `action` once `ms` from now; destroying the result cancels it.
//       static auto later(int ms, std::function<void()> action);
//       static auto threadId();
//       static std::string pattern(std::size_t size);  // the scripted bodies
//   };

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Failure.h"
#include "platform/InternetTransfer.h"
#include "support/FailureNumber.h"
#include "transfer-contract/FailureReports.h"
#include "transfer/Response.h"
#include "transfer/TransferFailures.h"

namespace quibrant::test {

enum class Server {
    kTrusted,    // the scriptable server, with a certificate the tests trust
    kOtherName,  // the same server under another host name
    kOtherHost,  // a certificate the tests trust, for another host
    kUntrusted,  // a certificate from an authority nobody trusts
    kPlain,      // the scriptable server over plain HTTP
    kClosed,     // a port where nothing listens
    kFiles,      // nginx, serving "flat.bin" of 64 MiB
};

using State = platform::InternetTransfer::State;

inline constexpr int kWaitMs = 15000;
inline constexpr std::chrono::milliseconds kShortStall{1500};

inline long countOf(const std::vector<std::int16_t>& states, std::int16_t state) {
    return std::count(states.begin(), states.end(), state);
}

// Drives one request the way the window does, with the core's checks around
// the component: every state is recorded; on state 12 the status is checked,
// the whole body read from inside the notification, and its length checked.
template <typename Traits>
struct ContractDownload {
    using Component = typename Traits::Component;

    explicit ContractDownload(Component& transfer) : inet(transfer) {
        inet.onStateChanged([this](std::int16_t state) {
            states.push_back(state);
            onWindowThread = onWindowThread && Traits::threadId() == windowThread;
            if (state == State::kResponseCompleted) {
                readBody();
            }
        });
    }

    void start(const std::string& url, const std::string& password = "secreto") {
        inet.setUserName("prueba");
        inet.setPassword(password);
        inet.setSetting14(0);
        inet.setURL(url);
        inet.Execute("GET");
    }

    void readBody() {
        try {
            transfer::checkStatus(inet.responseCode(), inet.GetHeader("Location"));
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
            const std::string announced = inet.GetHeader("Content-Length");
            if (!announced.empty()) {
                transfer::checkBodyLength(static_cast<std::int64_t>(body.size()),
                                          transfer::parseContentLength(announced), true);
            }
            ended = true;
        } catch (const platform::Failure& caught) {
            failure = caught.description();
        }
    }

    bool run(int timeoutMs = kWaitMs) {
        return Traits::runUntil(
            [this] { return ended || failure || countOf(states, State::kError) > 0; }, timeoutMs);
    }
    bool piecesWithin(std::size_t most) const {
        return std::all_of(sizes.begin(), sizes.end(),
                           [most](std::size_t size) { return size >= 1 && size <= most; });
    }

    Component& inet;
    const decltype(Traits::threadId()) windowThread = Traits::threadId();
    std::vector<std::int16_t> states;
    std::vector<std::size_t> sizes;
    std::string body;
    bool ended = false;
    bool onWindowThread = true;
    std::optional<std::string> failure;
    std::int16_t pieceSize = 1024;
    std::function<void()> afterPiece;
};

template <typename Traits>
class TransferContract : public ::testing::Test {
  protected:
    using Download = ContractDownload<Traits>;

    static void SetUpTestSuite() { Traits::startServers(); }
    static void TearDownTestSuite() { Traits::stopServers(); }

    static std::string url(Server server, const std::string& path) {
        return Traits::url(server, path);
    }
    static std::string trusted(const std::string& path) { return url(Server::kTrusted, path); }
    static auto make(const std::string& main = trusted("/")) { return Traits::make(main); }
    static std::string pattern(std::size_t size) { return Traits::pattern(size); }
    static void runFor(int ms) {
        Traits::runUntil([] { return false; }, ms);
    }
};

TYPED_TEST_SUITE_P(TransferContract);

TYPED_TEST_P(TransferContract, DeliversWholeBodiesByteForByteWithTheirHeadersAndStates) {
    for (const std::size_t size : {1u, 1023u, 1024u, 1025u, 3u * 1024 * 1024 + 321}) {
        SCOPED_TRACE(size);
        const auto inet = this->make();
        typename TestFixture::Download download(*inet);
        download.start(this->trusted("/ok/" + std::to_string(size)));
        ASSERT_TRUE(download.run());

        EXPECT_FALSE(download.failure.has_value()) << *download.failure;
        EXPECT_TRUE(download.ended);
        EXPECT_EQ(download.body.size(), size);
        EXPECT_TRUE(download.body == this->pattern(size));
        EXPECT_TRUE(download.piecesWithin(1024));
        EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
        EXPECT_EQ(countOf(download.states, State::kError), 0);
        EXPECT_THAT(download.states, ::testing::Contains(State::kRequestSent));
        // The answer's states come before the answer itself.
        EXPECT_EQ(download.states.back(), State::kResponseCompleted);
        EXPECT_TRUE(download.onWindowThread);
        // Header names are matched without regard to case; an absent one is "".
        EXPECT_EQ(inet->GetHeader("Content-length"), std::to_string(size));
        EXPECT_EQ(inet->GetHeader("CONTENT-LENGTH"), std::to_string(size));
        EXPECT_EQ(inet->GetHeader("x-prueba"), "Valor");
        EXPECT_EQ(inet->GetHeader("X-No-Existe"), "");
        EXPECT_EQ(inet->responseCode(), 200);
        // Once the body is complete every further piece is empty.
        EXPECT_TRUE(inet->GetChunk(1024).empty());
        EXPECT_TRUE(inet->GetChunk(1024).empty());
    }
}

TYPED_TEST_P(TransferContract, ReadsABodyWithoutLengthInPiecesNoLargerThanAsked) {
    const auto inet = this->make();
    typename TestFixture::Download download(*inet);
    download.pieceSize = 7;
    download.start(this->trusted("/chunked/4000"));
    ASSERT_TRUE(download.run());
    EXPECT_EQ(inet->GetHeader("Content-Length"), "");
    EXPECT_TRUE(download.body == this->pattern(4000));
    EXPECT_TRUE(download.piecesWithin(7));
    EXPECT_EQ(*std::max_element(download.sizes.begin(), download.sizes.end()), 7u);
}

// The status and reason reach the core, which saves nothing of the page.
TYPED_TEST_P(TransferContract, ReportsAnErrorStatusWithItsReason) {
    const auto inet = this->make();
    typename TestFixture::Download download(*inet);
    download.start(this->trusted("/status/404"));
    ASSERT_TRUE(download.run());
    EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
    EXPECT_EQ(inet->responseCode(), 404);
    EXPECT_EQ(download.failure, test::failureText([] { transfer::checkStatus(404, ""); }));
    EXPECT_TRUE(download.body.empty());
}

// Whether the component reports the cut itself or the core's length check
// does, the user learns how far the body got; a failed body keeps failing.
TYPED_TEST_P(TransferContract, FailsABodyCutShortWithTheBytesReceived) {
    struct Case {
        std::string path;
        std::string expected;
    };
    // How every broken body's text starts.
    const std::string broken =
        transfer::brokenBody(transfer::TransferFault::kConnectionReset, {}, "").description();
    const std::string start = broken.substr(0, broken.find(": "));
    for (const Case& cut : {Case{"/short/5000/2000", howFarItGot(2000, "5000")},
                            Case{"/reset/300000/100000", howFarItGot(100000, "300000")}}) {
        SCOPED_TRACE(cut.path);
        const auto inet = this->make();
        typename TestFixture::Download download(*inet);
        download.start(this->trusted(cut.path));
        ASSERT_TRUE(download.run());
        ASSERT_TRUE(download.failure.has_value());
        EXPECT_THAT(*download.failure, ::testing::AllOf(::testing::StartsWith(start),
                                                        ::testing::HasSubstr(cut.expected)));
        EXPECT_TRUE(download.body == this->pattern(download.body.size()));
        try {
            EXPECT_TRUE(inet->GetChunk(1024).empty());
        } catch (const platform::Failure& again) {
            EXPECT_EQ(again.description(), *download.failure);
        }
    }
}

TYPED_TEST_P(TransferContract, FailsABodyThatStalls) {
    const auto inet = this->make();
    inet->setStallTimeout(kShortStall);
    typename TestFixture::Download download(*inet);
    download.start(this->trusted("/stall/10000/3000"));
    ASSERT_TRUE(download.run());
    EXPECT_EQ(download.failure, transfer::stalledBody(kShortStall, {3000, "10000"}).description());
    EXPECT_TRUE(download.body == this->pattern(3000));
    EXPECT_EQ(countOf(download.states, State::kError), 0);
}

TYPED_TEST_P(TransferContract, CancelEndsAWaitingPieceAndANewRequestStartsClean) {
    const auto inet = this->make();
    typename TestFixture::Download download(*inet);
    std::optional<decltype(TypeParam::later(0, {}))> cancel;
    download.afterPiece = [&] {
        if (!cancel) {
            cancel = TypeParam::later(200, [&] { inet->Cancel(); });
        }
    };
    download.start(this->trusted("/stall/10000/3000"));
    ASSERT_TRUE(download.run(5000));
    EXPECT_EQ(download.failure,
              transfer::transferFailure(transfer::TransferFault::kCancelled).description());
    EXPECT_EQ(inet->bufferedBytes(), 0);
    const std::size_t statesSeen = download.states.size();
    this->runFor(200);
    EXPECT_EQ(download.states.size(), statesSeen);
    EXPECT_NO_THROW(inet->Cancel());
    EXPECT_THROW(inet->GetChunk(1024), platform::Failure);

    typename TestFixture::Download again(*inet);
    again.start(this->trusted("/ok/2048"));
    ASSERT_TRUE(again.run());
    EXPECT_TRUE(again.body == this->pattern(2048));
    EXPECT_EQ(countOf(again.states, State::kError), 0);
    EXPECT_EQ(countOf(again.states, State::kResponseCompleted), 1);
}

TYPED_TEST_P(TransferContract, ARequestCancelledBeforeItsAnswerSaysNothingMore) {
    const auto inet = this->make();
    inet->setStallTimeout(kShortStall);
    typename TestFixture::Download download(*inet);
    download.start(this->trusted("/silent"));
    this->runFor(300);
    inet->Cancel();
    const std::size_t statesSeen = download.states.size();
    // Past any time-out of the component's own: its error must not surface.
    this->runFor(3000);
    EXPECT_EQ(download.states.size(), statesSeen);
    EXPECT_EQ(countOf(download.states, State::kError), 0);

    download.states.clear();
    download.start(this->trusted("/ok/3000"));
    ASSERT_TRUE(download.run());
    EXPECT_TRUE(download.body == this->pattern(3000));
    EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
}

// Cancelled just as the answer arrives (the watchdog firing then): what the
// component had already queued for the request never reaches the handler.
TYPED_TEST_P(TransferContract, NothingOfACancelledRequestIsNotifiedAfterCancel) {
    const auto inet = this->make();
    typename TestFixture::Download download(*inet);
    bool cancelled = false;
    std::vector<std::int16_t> afterCancel;
    inet->onStateChanged([&](std::int16_t state) {
        if (cancelled) {
            afterCancel.push_back(state);
        } else if (state == State::kResponseReceived) {
            cancelled = true;
            inet->Cancel();
        }
    });
    download.start(this->trusted("/ok/3000"));
    ASSERT_TRUE(TypeParam::runUntil([&] { return cancelled; }, kWaitMs));
    this->runFor(500);
    EXPECT_THAT(afterCancel, ::testing::IsEmpty());
}

// The credentials answer a challenge of the main server over HTTPS, once, and
// no other server's, as the server counts them.
TYPED_TEST_P(TransferContract, GivesTheCredentialsOnlyToTheMainServerOverHttps) {
    struct Case {
        Server main;
        Server asked;
        std::string password;
        int status;
        int attempts;
    };
    const auto authorizations = [this] {
        const auto counter = this->make();
        typename TestFixture::Download count(*counter);
        count.start(this->trusted("/authorizations"));
        EXPECT_TRUE(count.run());
        return std::stoi(count.body);
    };
    for (const Case& c : {Case{Server::kTrusted, Server::kTrusted, "secreto", 200, 1},
                          Case{Server::kOtherName, Server::kTrusted, "secreto", 401, 0},
                          Case{Server::kTrusted, Server::kTrusted, "malo", 401, 1}}) {
        const std::string main = this->url(c.main, "/");
        SCOPED_TRACE(main + " " + c.password);
        const int before = authorizations();
        const auto inet = this->make(main);
        typename TestFixture::Download download(*inet);
        download.start(this->url(c.asked, "/auth/5"), c.password);
        ASSERT_TRUE(download.run());
        EXPECT_EQ(inet->responseCode(), c.status);
        EXPECT_EQ(download.body == this->pattern(5), c.status == 200);
        EXPECT_EQ(authorizations() - before, c.attempts);
    }
}

TYPED_TEST_P(TransferContract, FollowsSecureRedirectsAndRefusesOnesToPlainHttp) {
    for (const std::string& path : TypeParam::secureRedirects()) {
        SCOPED_TRACE(path);
        const auto inet = this->make();
        typename TestFixture::Download download(*inet);
        download.start(this->trusted(path));
        ASSERT_TRUE(download.run());
        EXPECT_EQ(inet->responseCode(), 200);
        EXPECT_TRUE(download.body == this->pattern(3000));
        EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
    }
    const auto inet = this->make();
    typename TestFixture::Download download(*inet);
    download.start(this->trusted("/redirect-http/3000"));
    ASSERT_TRUE(download.run());
    this->runFor(100);
    // The refused redirect is the answer: the caller sees its status and
    // never a byte of the plain-HTTP file.
    EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
    EXPECT_EQ(inet->responseCode(), 302);
    EXPECT_THAT(inet->GetHeader("Location"), ::testing::HasSubstr("http://127.0.0.1"));
    EXPECT_TRUE(download.body.empty());
}

// Requests that never get an answer only ever raise state 11, once: a
// certificate nobody trusts, one for another host, a closed port.
TYPED_TEST_P(TransferContract, RaisesOnlyTheErrorStateWhenNoAnswerComes) {
    for (const Server server : {Server::kUntrusted, Server::kOtherHost, Server::kClosed}) {
        const std::string url = this->url(server, "/ok/10");
        SCOPED_TRACE(url);
        const auto inet = this->make();
        typename TestFixture::Download download(*inet);
        download.start(url);
        ASSERT_TRUE(download.run());
        this->runFor(100);
        EXPECT_EQ(countOf(download.states, State::kError), 1);
        EXPECT_EQ(download.states.back(), State::kError);
        EXPECT_THAT(download.states, ::testing::Contains(State::kConnecting));
        EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 0);
        EXPECT_EQ(inet->responseCode(), 0);
        EXPECT_TRUE(download.body.empty());
        EXPECT_THROW(inet->GetChunk(1024), platform::Failure);
    }
}

// A reader that falls behind the network must not let the body pile up in
// memory: what the component holds stays bounded.
TYPED_TEST_P(TransferContract, KeepsMemoryFlatWhenTheReaderFallsBehind) {
    const auto inet = this->make(this->url(Server::kFiles, "/"));
    constexpr std::size_t kSize = 64u * 1024 * 1024;
    std::int64_t heldWhilePaused = 0;
    std::int64_t mostHeld = 0;
    std::size_t total = 0;
    bool ended = false;
    inet->onStateChanged([&](std::int16_t state) {
        if (state != State::kResponseCompleted) {
            return;
        }
        for (;;) {
            const std::string_view piece = inet->GetChunk(1024);
            if (piece.empty()) {
                break;
            }
            total += piece.size();
            mostHeld = std::max(mostHeld, inet->bufferedBytes());
            if (total == piece.size()) {
                // The network runs on while the reader does nothing; an
                // unbounded buffer would take in the whole body meanwhile.
                this->runFor(1500);
                heldWhilePaused = inet->bufferedBytes();
            }
        }
        ended = true;
    });
    inet->setURL(this->url(Server::kFiles, "/flat.bin"));
    inet->Execute("GET");
    ASSERT_TRUE(TypeParam::runUntil([&] { return ended; }, 60000));
    EXPECT_EQ(total, kSize);
    EXPECT_GT(heldWhilePaused, 0);
    EXPECT_LT(heldWhilePaused, 4L * 1024 * 1024);
    EXPECT_LT(mostHeld, 4L * 1024 * 1024);
}

REGISTER_TYPED_TEST_SUITE_P(TransferContract,
                            DeliversWholeBodiesByteForByteWithTheirHeadersAndStates,
                            ReadsABodyWithoutLengthInPiecesNoLargerThanAsked,
                            ReportsAnErrorStatusWithItsReason,
                            FailsABodyCutShortWithTheBytesReceived, FailsABodyThatStalls,
                            CancelEndsAWaitingPieceAndANewRequestStartsClean,
                            ARequestCancelledBeforeItsAnswerSaysNothingMore,
                            NothingOfACancelledRequestIsNotifiedAfterCancel,
                            GivesTheCredentialsOnlyToTheMainServerOverHttps,
                            FollowsSecureRedirectsAndRefusesOnesToPlainHttp,
                            RaisesOnlyTheErrorStateWhenNoAnswerComes,
                            KeepsMemoryFlatWhenTheReaderFallsBehind);

}  // namespace quibrant::test
