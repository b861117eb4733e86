#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "WinInetDownload.h"

// The transfer's states, body, failures and cancelling against real servers.

namespace quibrant::test {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;

class WinInetTransferTest : public WinInetTest {};

TEST_F(WinInetTransferTest, DeliversWholeFilesByteForByteInPiecesOfAtMost1024) {
    for (const char* name :
         {"f1.bin", "f1023.bin", "f1024.bin", "f1025.bin", "f8192.bin", "big.bin"}) {
        SCOPED_TRACE(name);
        const std::string expected = servedFile(name);
        WinInetTransfer inet(mainServer(servers.nginxFile("")));
        Download download(inet);
        download.start(servers.nginxFile(name));
        ASSERT_TRUE(download.run());

        EXPECT_FALSE(download.failure.has_value()) << *download.failure;
        EXPECT_TRUE(download.ended);
        EXPECT_EQ(download.body.size(), expected.size());
        EXPECT_TRUE(download.body == expected);
        EXPECT_TRUE(download.piecesWithin(1024));
        EXPECT_EQ(inet.GetHeader("Content-length"), std::to_string(expected.size()));
        EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
        EXPECT_EQ(countOf(download.states, State::kError), 0);
        // WinINet keeps connections for reuse: connecting (3, 4) shows only
        // when one is made, which the no-answer cases check.
        EXPECT_THAT(download.states, Contains(State::kRequestSent));
        EXPECT_THAT(download.states, Contains(State::kResponseReceived));
        // The answer's states come before the answer itself.
        EXPECT_EQ(download.states.back(), State::kResponseCompleted);
        EXPECT_TRUE(download.onWindowThread);
        // Once the body is complete every further piece is empty.
        EXPECT_TRUE(inet.GetChunk(1024).empty());
        EXPECT_TRUE(inet.GetChunk(1024).empty());
    }
}

TEST_F(WinInetTransferTest, AnswersHeadersWithoutRegardToCaseAndHandsOutNoMoreThanAsked) {
    WinInetTransfer inet(mainServer(mainUrl()));
    Download download(inet);
    download.pieceSize = 7;
    download.start(servers.scripted("/ok/5000"));
    ASSERT_TRUE(download.run());
    EXPECT_TRUE(download.body == pattern(5000));
    EXPECT_EQ(*std::max_element(download.sizes.begin(), download.sizes.end()), 7u);

    EXPECT_EQ(inet.GetHeader("Content-length"), "5000");
    EXPECT_EQ(inet.GetHeader("CONTENT-LENGTH"), "5000");
    EXPECT_EQ(inet.GetHeader("x-prueba"), "Valor");
    EXPECT_EQ(inet.GetHeader("X-No-Existe"), "");
    EXPECT_EQ(inet.responseCode(), 200);
    EXPECT_EQ(inet.responseReason(), "OK");
}

TEST_F(WinInetTransferTest, AnswersAnErrorStatusWithItsReasonAndPage) {
    WinInetTransfer inet(mainServer(mainUrl()));
    Download download(inet);
    download.start(servers.scripted("/status/404"));
    ASSERT_TRUE(download.run());
    EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
    EXPECT_EQ(inet.responseCode(), 404);
    EXPECT_EQ(inet.responseReason(), "Not Found");
    EXPECT_EQ(download.body, "<html><body>Error 404</body></html>");
}

TEST_F(WinInetTransferTest, FailsABodyCutShortWithTheBytesReceived) {
    struct Case {
        std::string path;
        std::string expected;
    };
    for (const Case& cut : {Case{"/short/5000/2000", "se recibieron 2000 de 5000 bytes"},
                            Case{"/reset/300000/100000", "se recibieron 100000 de 300000 bytes"}}) {
        SCOPED_TRACE(cut.path);
        WinInetTransfer inet(mainServer(mainUrl()));
        Download download(inet);
        download.start(servers.scripted(cut.path));
        ASSERT_TRUE(download.run());
        ASSERT_TRUE(download.failure.has_value());
        EXPECT_THAT(*download.failure,
                    AllOf(HasSubstr("La descarga se interrumpió"), HasSubstr(cut.expected)));
        EXPECT_TRUE(download.body == pattern(download.body.size()));
        // A failed body keeps failing: it is never mistaken for a complete one.
        EXPECT_THROW(inet.GetChunk(1024), platform::Failure);
    }
}

TEST_F(WinInetTransferTest, FailsABodyThatStalls) {
    WinInetTransfer inet(mainServer(mainUrl()));
    inet.setStallTimeout(kShortStall);
    Download download(inet);
    download.start(servers.scripted("/stall/10000/3000"));
    ASSERT_TRUE(download.run());
    ASSERT_TRUE(download.failure.has_value());
    EXPECT_THAT(*download.failure,
                AllOf(HasSubstr("el servidor no envió datos"), HasSubstr("3000 de 10000")));
    EXPECT_TRUE(download.body == pattern(3000));
    EXPECT_EQ(countOf(download.states, State::kError), 0);
}

// Requests that never get an answer raise state 11, once, and say why.
TEST_F(WinInetTransferTest, RaisesOnlyTheErrorStateWhenNoAnswerComes) {
    struct Case {
        std::string url;
        std::string why;
        bool connects;
    };
    for (const Case& c :
         {Case{WinInetServers::at(servers.untrusted, "/ok/10"), "certificado", true},
          Case{WinInetServers::at(servers.otherHost, "/ok/10"), "certificado", true},
          Case{WinInetServers::at(servers.closed, "/ok/10"), "no se pudo conectar", true},
          Case{servers.scripted("/silent"), "localhost", false}}) {
        SCOPED_TRACE(c.url);
        WinInetTransfer inet(mainServer(mainUrl()));
        inet.setStallTimeout(kShortStall);
        Download download(inet);
        download.start(c.url);
        ASSERT_TRUE(download.run());
        runFor(100);
        EXPECT_EQ(countOf(download.states, State::kError), 1);
        EXPECT_EQ(download.states.back(), State::kError);
        EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 0);
        if (c.connects) {
            EXPECT_THAT(download.states, Contains(State::kConnecting));
        }
        EXPECT_EQ(inet.responseCode(), 0);
        EXPECT_TRUE(download.body.empty());
        EXPECT_THAT(inet.lastFailure(),
                    AllOf(HasSubstr("No se obtuvo respuesta"), HasSubstr(c.why)));
        try {
            inet.GetChunk(1024);
            ADD_FAILURE() << "a piece of a request that got no answer";
        } catch (const platform::Failure& failure) {
            EXPECT_EQ(failure.description(), inet.lastFailure());
        }
    }
}

TEST_F(WinInetTransferTest, CancelEndsAWaitingPieceAndANewRequestStartsClean) {
    WinInetTransfer inet(mainServer(mainUrl()));
    Download download(inet);
    std::unique_ptr<Later> cancel;
    download.afterPiece = [&] {
        if (!cancel) {
            cancel = std::make_unique<Later>(200, [&] { inet.Cancel(); });
        }
    };
    download.start(servers.scripted("/stall/10000/3000"));
    ASSERT_TRUE(download.run(5000));
    ASSERT_TRUE(download.failure.has_value());
    EXPECT_EQ(*download.failure, "La descarga se canceló.");
    EXPECT_EQ(inet.bufferedBytes(), 0);
    const std::size_t statesSeen = download.states.size();
    runFor(200);
    EXPECT_EQ(download.states.size(), statesSeen);
    EXPECT_NO_THROW(inet.Cancel());
    EXPECT_THROW(inet.GetChunk(1024), platform::Failure);

    Download again(inet);
    again.start(servers.scripted("/ok/2048"));
    ASSERT_TRUE(again.run());
    EXPECT_TRUE(again.body == pattern(2048));
    EXPECT_EQ(countOf(again.states, State::kError), 0);
    EXPECT_EQ(countOf(again.states, State::kResponseCompleted), 1);
}

TEST_F(WinInetTransferTest, ARequestCancelledBeforeItsAnswerSaysNothingMore) {
    WinInetTransfer inet(mainServer(mainUrl()));
    inet.setStallTimeout(kShortStall);
    Download download(inet);
    download.start(servers.scripted("/silent"));
    runFor(300);
    inet.Cancel();
    const std::size_t statesSeen = download.states.size();
    // Past the worker's own time-out: its error must not surface.
    runFor(3000);
    EXPECT_EQ(download.states.size(), statesSeen);
    EXPECT_EQ(countOf(download.states, State::kError), 0);

    download.states.clear();
    download.start(servers.scripted("/ok/3000"));
    ASSERT_TRUE(download.run());
    EXPECT_TRUE(download.body == pattern(3000));
    EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
}

// The window closing while a piece is awaited: the piece fails, and the end
// of the program's message loop still reaches that loop.
TEST_F(WinInetTransferTest, AWindowClosingDuringTheWaitEndsThePieceAndKeepsTheQuit) {
    WinInetTransfer inet(mainServer(mainUrl()));
    Download download(inet);
    std::unique_ptr<Later> quit;
    download.afterPiece = [&] {
        if (!quit) {
            quit = std::make_unique<Later>(200, [] { PostQuitMessage(7); });
        }
    };
    download.start(servers.scripted("/stall/10000/3000"));
    // The test's own loop stops short of the quit message, as the window's
    // would only see it after the handler returns.
    bool quitSeen = false;
    ASSERT_TRUE(runUntil(
        [&] {
            MSG message;
            if (download.failure && PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
                quitSeen = message.wParam == 7;
            }
            return quitSeen;
        },
        kWaitMs));
    EXPECT_EQ(*download.failure, "La descarga se canceló.");
}

// A reader that falls behind the network must not let the body pile up in
// memory: the queue between the worker and the reader is bounded.
TEST_F(WinInetTransferTest, KeepsMemoryFlatWhenTheReaderFallsBehind) {
    WinInetTransfer inet(mainServer(servers.nginxFile("")));
    constexpr std::size_t kSize = 64u * 1024 * 1024;
    std::int64_t heldWhilePaused = 0;
    std::int64_t mostHeld = 0;
    std::size_t total = 0;
    bool paused = false;
    bool ended = false;
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
                // unbounded queue would take in the whole body meanwhile.
                paused = true;
                runFor(1500);
                heldWhilePaused = inet.bufferedBytes();
            }
        }
        ended = true;
    });
    inet.setURL(servers.nginxFile("flat.bin"));
    inet.Execute("GET");
    ASSERT_TRUE(runUntil([&] { return ended; }, 60000));
    EXPECT_EQ(total, kSize);
    EXPECT_GT(heldWhilePaused, 0);
    EXPECT_LT(heldWhilePaused, 4L * 1024 * 1024);
    EXPECT_LT(mostHeld, 4L * 1024 * 1024);
}

}  // namespace
}  // namespace quibrant::test
