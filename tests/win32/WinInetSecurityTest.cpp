#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "WinInetDownload.h"

// What the transfer sends, to whom, and what it refuses to fetch.

namespace quibrant::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class WinInetSecurityTest : public WinInetTest {};

// The body is asked for as the server holds it: what "Content-Length" counts
// is what the caller is handed. No credentials go unasked.
TEST_F(WinInetSecurityTest, SendsNeitherCompressionNorCredentialsUnasked) {
    WinInetTransfer inet(mainServer(mainUrl()));
    Download download(inet);
    download.start(servers.scripted("/headers"));
    ASSERT_TRUE(download.run());
    ASSERT_TRUE(download.ended);
    EXPECT_THAT(lower(download.body), HasSubstr("host: localhost"));
    EXPECT_THAT(lower(download.body), Not(HasSubstr("accept-encoding")));
    EXPECT_THAT(lower(download.body), Not(HasSubstr("authorization")));
}

// The credentials answer a challenge of the main server over HTTPS, and no
// other: not another host, not another port, not plain HTTP, not twice.
TEST_F(WinInetSecurityTest, GivesTheCredentialsOnlyToTheMainServerOverHttps) {
    const std::string otherName = "https://127.0.0.1:" + std::to_string(servers.https) + "/";
    const std::string otherPort = WinInetServers::at(servers.otherHost, "/");
    const std::string plainMain = servers.plain("/");
    struct Case {
        std::string main;
        std::string url;
        std::string password;
        int status;
        int attempts;
    };
    for (const Case& c : {Case{mainUrl(), servers.scripted("/auth/5"), "secreto", 200, 1},
                          Case{otherName, servers.scripted("/auth/5"), "secreto", 401, 0},
                          Case{otherPort, servers.scripted("/auth/5"), "secreto", 401, 0},
                          Case{plainMain, servers.plain("/auth/5"), "secreto", 401, 0},
                          Case{mainUrl(), servers.scripted("/auth/5"), "malo", 401, 1}}) {
        SCOPED_TRACE(c.main + " " + c.url + " " + c.password);
        WinInetTransfer counter(mainServer(mainUrl()));
        Download before(counter);
        before.start(servers.scripted("/authorizations"));
        ASSERT_TRUE(before.run());

        WinInetTransfer inet(mainServer(c.main));
        inet.setPassword(c.password);
        Download download(inet);
        download.start(c.url);
        ASSERT_TRUE(download.run());
        EXPECT_EQ(inet.responseCode(), c.status);
        EXPECT_EQ(download.body == pattern(5), c.status == 200);

        Download after(counter);
        after.start(servers.scripted("/authorizations"));
        ASSERT_TRUE(after.run());
        EXPECT_EQ(std::stoi(after.body) - std::stoi(before.body), c.attempts);
    }
}

TEST_F(WinInetSecurityTest, FollowsSecureRedirectsAndRefusesOnesToPlainHttp) {
    for (const char* path : {"/redirect-name/3000", "/redirect-relative/3000"}) {
        SCOPED_TRACE(path);
        WinInetTransfer inet(mainServer(mainUrl()));
        Download download(inet);
        download.start(servers.scripted(path));
        ASSERT_TRUE(download.run());
        EXPECT_EQ(inet.responseCode(), 200);
        EXPECT_TRUE(download.body == pattern(3000));
        EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
    }
    WinInetTransfer inet(mainServer(mainUrl()));
    Download download(inet);
    download.start(servers.scripted("/redirect-http/3000"));
    ASSERT_TRUE(download.run());
    runFor(100);
    // The refused redirect is the answer: the caller sees its status and
    // never a byte of the plain-HTTP file.
    EXPECT_EQ(countOf(download.states, State::kResponseCompleted), 1);
    EXPECT_EQ(inet.responseCode(), 302);
    EXPECT_THAT(inet.GetHeader("Location"), HasSubstr("http://127.0.0.1"));
    EXPECT_TRUE(download.body.empty());
}

TEST_F(WinInetSecurityTest, RefusesWhatItCannotRequest) {
    WinInetTransfer inet(mainServer(mainUrl()));
    EXPECT_THROW(inet.GetChunk(1024), platform::Failure);
    inet.setURL(servers.scripted("/ok/5"));
    EXPECT_THROW(inet.Execute("PUT"), platform::Failure);
    for (const char* url :
         {"ftp://127.0.0.1/quibrant6_3.exe", "file:///etc/passwd", "", "C:\\Temp\\quibrant6_3.exe",
          "/etc/passwd", "mailto:a@b.example", "https://", "https:///sin-servidor"}) {
        SCOPED_TRACE(url);
        inet.setURL(url);
        try {
            inet.Execute("GET");
            ADD_FAILURE() << "accepted";
        } catch (const platform::Failure& failure) {
            EXPECT_THAT(failure.description(), HasSubstr("no es válida"));
        }
    }
}

TEST_F(WinInetSecurityTest, TakesAnAddressWithoutSchemeAsHttp) {
    WinInetTransfer inet(mainServer(mainUrl()));
    Download download(inet);
    download.start("localhost:" + std::to_string(servers.http) + "/ok/5");
    ASSERT_TRUE(download.run());
    EXPECT_EQ(inet.responseCode(), 200);
    EXPECT_TRUE(download.body == pattern(5));
}

// A reader that falls behind the network must not let the body pile up in
// memory: the queue between the worker and the reader is bounded.
}  // namespace
}  // namespace quibrant::test
