#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "WinInetTestSupport.h"
#include "transfer-contract/ResumeContract.h"
#include "transfer-contract/TransferContract.h"
#include "transfer/ResumingTransfer.h"
#include "transfer/TransferFailures.h"
#include "win32/wininet/WinInetConnection.h"

namespace quibrant::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

// The transfer over the WinINet connection against the servers
// run-wininet-tests.sh started.
struct WinInetTransferTraits {
    using Component = transfer::ResumingTransfer;

    static void startServers() {}
    static void stopServers() {}
    static std::unique_ptr<Component> make(
        const std::string& mainServerBaseUrl,
        std::chrono::milliseconds giveUpAfter = win32::WinInetConnection::kGiveUpAfter) {
        return std::make_unique<Component>(std::make_unique<win32::WinInetConnection>(giveUpAfter),
                                           mainServerBaseUrl);
    }
    static std::string url(Server server, const std::string& path) {
        const WinInetServers& s = WinInetServers::get();
        switch (server) {
            case Server::kTrusted:
                return s.scripted(path);
            case Server::kOtherName:
                return "https://127.0.0.1:" + std::to_string(s.https) + path;
            case Server::kOtherHost:
                return WinInetServers::at(s.otherHost, path);
            case Server::kUntrusted:
                return WinInetServers::at(s.untrusted, path);
            case Server::kPlain:
                return s.plain(path);
            case Server::kClosed:
                return WinInetServers::at(s.closed, path);
            case Server::kFiles:
                break;
        }
        return WinInetServers::at(s.nginx, path);
    }
    // wine checks a certificate's names but not its IP addresses: the
    // redirects lead to the name "localhost".
    static std::vector<std::string> secureRedirects() {
        return {"/redirect-name/3000", "/redirect-relative/3000"};
    }
    static bool runUntil(const std::function<bool()>& done, int timeoutMs) {
        return test::runUntil(done, timeoutMs);
    }
    static std::unique_ptr<Later> later(int ms, std::function<void()> action) {
        return std::make_unique<Later>(static_cast<unsigned>(ms), std::move(action));
    }
    static DWORD threadId() { return GetCurrentThreadId(); }
    static std::string pattern(std::size_t size) { return test::pattern(size); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(WinInet, TransferContract, WinInetTransferTraits);
INSTANTIATE_TYPED_TEST_SUITE_P(WinInet, ResumeContract, WinInetTransferTraits);

class WinInetTransferTest : public TransferContract<WinInetTransferTraits> {};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A request that gets no answer says why, and its pieces fail with the same
// words; a server that never answers is given up once WinINet's own time-out
// is past.
TEST_F(WinInetTransferTest, SaysWhyARequestGotNoAnswer) {
    struct Case {
        std::string url;
        std::string why;
    };
    // Each fault's words are checked through the window in WinInetFormTest.
    const std::string refused =
        transfer::transferFailure(transfer::TransferFault::kCannotConnect, "localhost")
            .description();
    for (const Case& c : {Case{url(Server::kClosed, "/ok/10"),
                               refused.substr(0, refused.find("»") + std::strlen("»"))},
                          // wine reports its time-out as a connection cut off.
                          Case{trusted("/silent"), "«localhost»"}}) {
        SCOPED_TRACE(c.url);
        const auto inet = WinInetTransferTraits::make(trusted("/"), std::chrono::seconds(2));
        Download download(*inet);
        download.start(c.url);
        ASSERT_TRUE(download.run());
        EXPECT_EQ(download.states.back(), State::kError);
        const std::string why = inet->requestFailure().description();
        EXPECT_THAT(why, AllOf(HasSubstr("«localhost»"), HasSubstr(c.why),
                               HasSubstr("(" + transfer::errorDetail(120))));
        try {
            inet->GetChunk(1024);
            ADD_FAILURE() << "a piece of a request that got no answer";
        } catch (const platform::Failure& failure) {
            EXPECT_EQ(failure.description(), why);
        }
    }
}

// The window closing while a piece is awaited: the piece fails, and the end
// of the program's message loop still reaches that loop.
TEST_F(WinInetTransferTest, AWindowClosingDuringTheWaitEndsThePieceAndKeepsTheQuit) {
    const auto inet = make();
    Download download(*inet);
    std::unique_ptr<Later> quit;
    download.afterPiece = [&] {
        if (!quit) {
            quit = std::make_unique<Later>(200, [] { PostQuitMessage(7); });
        }
    };
    download.start(trusted("/stall/10000/3000"));
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
    EXPECT_EQ(*download.failure,
              transfer::transferFailure(transfer::TransferFault::kCancelled).description());
}

// The body is asked for as the server holds it: what "Content-Length" counts
// is what the caller is handed. No credentials go unasked.
TEST_F(WinInetTransferTest, SendsNeitherCompressionNorCredentialsUnasked) {
    const auto inet = make();
    Download download(*inet);
    download.start(trusted("/headers"));
    ASSERT_TRUE(download.run());
    ASSERT_TRUE(download.ended);
    EXPECT_THAT(lower(download.body), HasSubstr("host: localhost"));
    EXPECT_THAT(lower(download.body), Not(HasSubstr("accept-encoding")));
    EXPECT_THAT(lower(download.body), Not(HasSubstr("authorization")));
}

}  // namespace
}  // namespace quibrant::test
