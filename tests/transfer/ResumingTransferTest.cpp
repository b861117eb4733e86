#include "transfer/ResumingTransfer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ScriptedConnection.h"
#include "support/FailureNumber.h"
#include "transfer/Response.h"
#include "transfer/TransferFailures.h"

namespace quibrant::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using transfer::Answer;
using transfer::TransferFault;
using Then = Reply::Then;
using State = platform::InternetTransfer::State;

constexpr const char* kMain = "https://descargas.example/";
constexpr const char* kFile = "https://descargas.example/clientes/actual/q.exe";
constexpr const char* kLogin = "Basic cHJ1ZWJhOnNlY3JldG8=";  // prueba:secreto

std::string bytes(std::size_t size, std::size_t from = 0) {
    std::string text;
    for (std::size_t i = from; i < from + size; ++i) {
        text += static_cast<char>('a' + i % 26);
    }
    return text;
}

Reply answer(int status, std::vector<std::pair<std::string, std::string>> headers,
             std::vector<std::string> blocks = {}, Then then = Then::kEnd) {
    Reply reply;
    reply.head = Answer{status, std::move(headers)};
    reply.blocks = std::move(blocks);
    reply.then = then;
    return reply;
}
// The whole file of 3000 bytes, version "v1", of which `sent` arrive before `then`.
Reply whole(std::size_t sent = 3000, Then then = Then::kEnd) {
    return answer(200, {{"Content-Length", "3000"}, {"ETag", "\"v1\""}},
                  {bytes(sent / 2), bytes(sent - sent / 2, sent / 2)}, then);
}
// The rest of it from byte `from`, as the server words it.
Reply rest(std::size_t from, const char* etag = "\"v1\"", Then then = Then::kEnd,
           std::size_t sent = 0) {
    std::vector<std::pair<std::string, std::string>> headers{
        {"Content-Length", std::to_string(3000 - from)},
        {"Content-Range", "bytes " + std::to_string(from) + "-2999/3000"}};
    if (*etag != '\0') {
        headers.emplace_back("ETag", etag);
    }
    return answer(206, headers, {bytes(sent == 0 ? 3000 - from : sent, from)}, then);
}
Reply redirect(const std::string& location) {
    return answer(302, {{"Location", location}, {"Content-Length", "0"}});
}
Reply challenge(const std::string& scheme = "Basic realm=\"descargas\"") {
    return answer(401, {{"WWW-Authenticate", scheme}, {"Content-Length", "5"}}, {"no no"});
}
Reply noAnswer(TransferFault fault, const std::string& detail = "") {
    return Reply{std::nullopt, {}, Then::kBreak, {fault, detail}};
}

// The replies in the order the requests come; past the last, the last again.
ScriptedConnection::Script inTurn(std::vector<Reply> replies) {
    return [replies, next = std::size_t{0}](const transfer::ConnectionRequest&) mutable {
        return replies[std::min(next++, replies.size() - 1)];
    };
}

std::string headerOf(const transfer::ConnectionRequest& request, const std::string& name) {
    for (const auto& [key, value] : request.headers) {
        if (key == name) {
            return value;
        }
    }
    return "";
}

// The transfer over a scripted connection, driven as the window drives it:
// on state 12 the status is checked and the whole body read from inside the
// notification, then its length checked.
struct Download {
    explicit Download(ScriptedConnection::Script script, const std::string& main = kMain) {
        auto scripted = std::make_unique<ScriptedConnection>(std::move(script));
        connection = scripted.get();
        inet = std::make_unique<transfer::ResumingTransfer>(std::move(scripted), main);
        inet->setClock([this] { return connection->now(); });
        inet->setUserName("prueba");
        inet->setPassword("secreto");
        inet->onStateChanged([this](std::int16_t state) {
            states.push_back(state);
            if (state == State::kResponseCompleted) {
                read();
            }
        });
    }

    Download& get(const std::string& url) {
        inet->setURL(url);
        inet->Execute("GET");
        connection->run();
        return *this;
    }
    void read() {
        try {
            transfer::checkStatus(inet->responseCode(), inet->GetHeader("Location"));
            const std::int32_t length =
                transfer::parseContentLength(inet->GetHeader("Content-Length"));
            for (std::string_view piece = inet->GetChunk(pieceSize); !piece.empty();
                 piece = inet->GetChunk(pieceSize)) {
                largestPiece = std::max(largestPiece, piece.size());
                body.append(piece);
            }
            transfer::checkBodyLength(static_cast<std::int64_t>(body.size()), length, true);
        } catch (const platform::Failure& caught) {
            failure = caught.description();
        }
    }
    long count(std::int16_t state) const { return std::count(states.begin(), states.end(), state); }
    // Each request as "url" or "url +login".
    std::vector<std::string> asked() const {
        std::vector<std::string> all;
        for (const auto& request : connection->requests) {
            all.push_back(request.url +
                          (headerOf(request, "Authorization") == kLogin ? " +login" : ""));
        }
        return all;
    }

    ScriptedConnection* connection = nullptr;
    std::unique_ptr<transfer::ResumingTransfer> inet;
    std::vector<std::int16_t> states;
    std::string body;
    std::optional<std::string> failure;
    std::int16_t pieceSize = 1024;
    std::size_t largestPiece = 0;
};

const std::string kRefused401 = failureText([] { transfer::checkStatus(401, ""); });

// Where each hop goes and who gets the login: the main server over HTTPS,
// on every hop that lands there, once per hop, for Basic only.
TEST(ResumingTransferTest, FollowsRedirectsAndGivesTheLoginOnlyWhereItBelongs) {
    const std::string mirror = "https://descargas.example/descargas/espejo/q.exe";
    struct Case {
        const char* name;
        std::string main;
        std::string url;
        std::vector<Reply> replies;
        std::vector<std::string> asked;
        std::string outcome;  // "" for the whole file
    };
    const Case cases[] = {
        {"login asked by the main server",
         kMain,
         kFile,
         {challenge(), whole()},
         {kFile, std::string(kFile) + " +login"},
         ""},
        {"login asked again after a redirect on the same server",
         kMain,
         kFile,
         {challenge(), redirect("/descargas/espejo/q.exe"), challenge(), whole()},
         {kFile, std::string(kFile) + " +login", mirror, mirror + " +login"},
         ""},
        {"login refused once more",
         kMain,
         kFile,
         {challenge(), challenge()},
         {kFile, std::string(kFile) + " +login"},
         kRefused401},
        {"another host",
         kMain,
         "https://espejo.example/q.exe",
         {challenge()},
         {"https://espejo.example/q.exe"},
         kRefused401},
        {"another port",
         kMain,
         "https://descargas.example:8443/q.exe",
         {challenge()},
         {"https://descargas.example:8443/q.exe"},
         kRefused401},
        {"plain HTTP",
         "http://descargas.example/",
         "http://descargas.example/q.exe",
         {challenge()},
         {"http://descargas.example/q.exe"},
         kRefused401},
        {"no Basic offered",
         kMain,
         kFile,
         {challenge("Digest realm=\"basic\"")},
         {kFile},
         kRefused401},
        {"redirect to another host",
         kMain,
         kFile,
         {redirect("https://espejo.example/q.exe"), challenge()},
         {kFile, "https://espejo.example/q.exe"},
         kRefused401},
        {"redirect from HTTPS to HTTP",
         kMain,
         kFile,
         {redirect("http://descargas.example/q.exe"), whole()},
         {kFile},
         failureText([] { transfer::checkStatus(302, "http://descargas.example/q.exe"); })},
        {"redirect from HTTP to HTTPS",
         kMain,
         "http://espejo.example/q.exe",
         {redirect("https://espejo.example/q.exe"), whole()},
         {"http://espejo.example/q.exe", "https://espejo.example/q.exe"},
         ""},
        {"relative redirect",
         kMain,
         kFile,
         {redirect("../2011/q.exe?v=2#x"), whole()},
         {kFile, "https://descargas.example/clientes/2011/q.exe?v=2"},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Download download(inTurn(c.replies), c.main);
        download.get(c.url);
        EXPECT_EQ(download.asked(), c.asked);
        EXPECT_EQ(download.count(State::kResponseCompleted), 1);
        if (c.outcome.empty()) {
            EXPECT_FALSE(download.failure) << *download.failure;
            EXPECT_TRUE(download.body == bytes(3000));
        } else {
            EXPECT_EQ(download.failure, c.outcome);
            EXPECT_TRUE(download.body.empty());
        }
    }
}

// A server that answers the logged-in request with a redirect to itself
// is followed ten times, logging in on each hop, and then told.
TEST(ResumingTransferTest, GivesUpOnARedirectLoopAfterTenHops) {
    Download download([](const transfer::ConnectionRequest& request) {
        return headerOf(request, "Authorization").empty() ? challenge() : redirect(kFile);
    });
    download.get(kFile);
    EXPECT_EQ(download.connection->requests.size(), 22u);
    EXPECT_EQ(download.failure, failureText([] { transfer::checkStatus(302, kFile); }));
}

// A request that gets no answer it can use raises state 11 once and no 12,
// and says why around the server's name.
TEST(ResumingTransferTest, RaisesOnlyTheErrorStateForAnAnswerItCannotUse) {
    struct Case {
        Reply reply;
        std::string told;
    };
    const Case cases[] = {
        // Half the file, when the whole was asked for: nothing of it is kept.
        {answer(206, {{"Content-Length", "1500"}, {"Content-Range", "bytes 0-1499/3000"}},
                {bytes(1500)}),
         transfer::transferFailure(TransferFault::kInvalidResponse, "descargas.example",
                                   transfer::answerDetail(206))
             .description()},
        {noAnswer(TransferFault::kCertificateUntrusted, "error 12045"),
         transfer::transferFailure(TransferFault::kCertificateUntrusted, "descargas.example",
                                   "error 12045")
             .description()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.told);
        Download download(inTurn({c.reply}));
        download.get(kFile);
        EXPECT_EQ(download.count(State::kError), 1);
        EXPECT_EQ(download.count(State::kResponseCompleted), 0);
        EXPECT_EQ(download.inet->requestFailure().description(), c.told);
        EXPECT_EQ(download.inet->responseCode(), 0);
        EXPECT_THROW(download.inet->GetChunk(1024), platform::Failure);
    }
}

// However the body broke, the rest is asked for where the first answer came
// from, with its range and validator, and joined only when the server sends
// the rest of the same version; the caller hears of one answer only.
TEST(ResumingTransferTest, JoinsOnlyTheRestOfTheSameFile) {
    const std::string cut =
        transfer::brokenBody(TransferFault::kConnectionReset, {1000, "3000"}, "").description();
    const std::string changed =
        transfer::brokenBody(TransferFault::kChangedOnServer, {1000, "3000"}, "").description();
    struct Case {
        const char* name;
        std::vector<Reply> replies;
        std::size_t requests;
        std::string told;  // "" when the whole file arrives
    };
    const Case cases[] = {
        {"rest", {whole(1000, Then::kBreak), rest(1000)}, 2, ""},
        {"closed early, then rest", {whole(1000, Then::kEnd), rest(1000)}, 2, ""},
        {"stalled, then rest", {whole(1000, Then::kStall), rest(1000)}, 2, ""},
        {"rest without a validator", {whole(1000, Then::kBreak), rest(1000, "")}, 2, changed},
        {"rest of another version", {whole(1000, Then::kBreak), rest(1000, "\"v2\"")}, 2, changed},
        {"whole file again", {whole(1000, Then::kBreak), whole()}, 2, cut},
        {"no answer, then rest",
         {whole(1000, Then::kBreak), noAnswer(TransferFault::kConnectionRefused), rest(1000)},
         3,
         ""},
        {"broken three more times",
         {whole(1000, Then::kBreak), rest(1000, "\"v1\"", Then::kBreak, 500),
          rest(1500, "\"v1\"", Then::kBreak, 500), rest(2000, "\"v1\"", Then::kBreak, 500)},
         4,
         transfer::brokenBody(TransferFault::kConnectionReset, {2500, "3000"}, "").description()},
        {"first answer names no version",
         {answer(200, {{"Content-Length", "3000"}}, {bytes(1000)}, Then::kBreak)},
         1,
         cut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Download download(inTurn(c.replies));
        download.get(kFile);
        EXPECT_EQ(download.connection->requests.size(), c.requests);
        EXPECT_EQ(download.count(State::kResponseCompleted), 1);
        EXPECT_EQ(download.count(State::kError), 0);
        if (c.told.empty()) {
            EXPECT_FALSE(download.failure) << *download.failure;
            EXPECT_TRUE(download.body == bytes(3000));
            const auto& resumed = download.connection->requests[1];
            EXPECT_EQ(resumed.url, kFile);
            EXPECT_EQ(headerOf(resumed, "Range"), "bytes=1000-");
            EXPECT_EQ(headerOf(resumed, "If-Range"), "\"v1\"");
        } else {
            ASSERT_TRUE(download.failure);
            EXPECT_THAT(*download.failure, StartsWith(c.told));
        }
    }
}

// The request for the rest follows redirects and gets the login on every
// hop that lands on the main server, carrying its range all the way.
TEST(ResumingTransferTest, AsksForTheRestThroughRedirectsAndTheLogin) {
    const std::string mirror = "https://descargas.example/descargas/espejo/q.exe";
    Download download(
        inTurn({whole(1000, Then::kBreak), redirect(mirror), challenge(), rest(1000)}));
    download.get(kFile);
    EXPECT_EQ(download.asked(),
              (std::vector<std::string>{kFile, kFile, mirror, mirror + " +login"}));
    EXPECT_EQ(headerOf(download.connection->requests.back(), "Range"), "bytes=1000-");
    EXPECT_TRUE(download.body == bytes(3000));
}

TEST(ResumingTransferTest, WaitsOneTwoAndFourSecondsBeforeEachResume) {
    Download download(
        inTurn({whole(1000, Then::kBreak), rest(1000, "\"v1\"", Then::kBreak, 500),
                rest(1500, "\"v1\"", Then::kBreak, 500), rest(2000, "\"v1\"", Then::kBreak, 500)}));
    download.get(kFile);
    EXPECT_EQ(download.connection->waited, std::chrono::seconds(7));
}

// A cancel among the window's events during the wait ends the download at
// once: the rest is never asked for.
TEST(ResumingTransferTest, ACancelDuringTheWaitBeforeAResumeEndsTheDownload) {
    Download download(inTurn({whole(1000, Then::kBreak), rest(1000)}));
    download.connection->duringWait = [&download] { download.inet->Cancel(); };
    download.get(kFile);
    EXPECT_EQ(download.failure, transfer::transferFailure(TransferFault::kCancelled).description());
    EXPECT_EQ(download.connection->requests.size(), 1u);
    EXPECT_EQ(download.inet->bufferedBytes(), 0);
}

// Pieces are cut from the connection's blocks, whatever their sizes, never
// larger than asked; once the body has ended every piece is empty.
TEST(ResumingTransferTest, HandsOutTheBodyInPiecesNoLargerThanAsked) {
    Download download(inTurn(
        {answer(200, {{"Content-Length", "3000"}}, {bytes(1), bytes(2046, 1), bytes(953, 2047)})}));
    download.pieceSize = 7;
    download.get("descargas.example/clientes/actual/q.exe");
    EXPECT_EQ(download.connection->requests[0].url, kFile);
    EXPECT_TRUE(download.body == bytes(3000));
    EXPECT_EQ(download.largestPiece, 7u);
    EXPECT_EQ(download.states, (std::vector<std::int16_t>{3, 4, 5, 6, 8, 12}));
    EXPECT_TRUE(download.inet->GetChunk(1024).empty());
    EXPECT_EQ(download.inet->GetHeader("content-LENGTH"), "3000");
}

TEST(ResumingTransferTest, RefusesWhatItCannotRequest) {
    Download download(inTurn({whole()}));
    EXPECT_THROW(download.inet->GetChunk(1024), platform::Failure);
    download.inet->setURL(kFile);
    EXPECT_THROW(download.inet->Execute("PUT"), platform::Failure);
    for (const char* url : {"ftp://127.0.0.1/q.exe", "file:///etc/passwd", "", "C:\\Temp\\q.exe",
                            "/etc/passwd", "mailto:a@b.example", "https://", "https:///q.exe"}) {
        SCOPED_TRACE(url);
        download.inet->setURL(url);
        try {
            download.inet->Execute("GET");
            ADD_FAILURE() << "accepted";
        } catch (const platform::Failure& failure) {
            EXPECT_EQ(failure.description(),
                      transfer::transferFailure(TransferFault::kInvalidAddress, url).description());
        }
    }
    EXPECT_TRUE(download.connection->requests.empty());
}

}  // namespace
}  // namespace quibrant::test
