#include <QByteArray>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "EventLoop.h"
#include "TestServers.h"
#include "transfer-contract/ResumeContract.h"
#include "transfer-contract/TransferContract.h"

namespace quibrant::test {
namespace {

// The libcurl component against test_server.py and nginx.
struct CurlTransferTraits {
    using Component = transfer::ResumingTransfer;

    static void startServers() {
        scripted() = std::make_unique<ScriptedServer>();
        nginx() = std::make_unique<NginxServer>();
    }
    static void stopServers() {
        scripted().reset();
        nginx().reset();
    }
    static std::unique_ptr<Component> make(const std::string& mainServerBaseUrl) {
        return makeTransfer(mainServerBaseUrl);
    }
    static std::string url(Server server, const std::string& path) {
        const ScriptedServer& s = *scripted();
        switch (server) {
            case Server::kTrusted:
                return s.https(path);
            case Server::kOtherName:
                return "https://localhost:" + std::to_string(s.httpsPort()) + path;
            case Server::kOtherHost:
                return "https://127.0.0.1:" + std::to_string(s.otherHostPort()) + path;
            case Server::kUntrusted:
                return "https://127.0.0.1:" + std::to_string(s.untrustedPort()) + path;
            case Server::kPlain:
                return s.http(path);
            case Server::kClosed:
                return "https://127.0.0.1:" + std::to_string(s.closedPort()) + path;
            case Server::kFiles:
                break;
        }
        return nginx()->baseUrl() + path.substr(1);
    }
    static std::vector<std::string> secureRedirects() { return {"/redirect/3000"}; }
    static bool runUntil(const std::function<bool()>& done, int timeoutMs) {
        return test::runUntil(done, timeoutMs);
    }
    static std::unique_ptr<QTimer> later(int ms, std::function<void()> action) {
        auto timer = std::make_unique<QTimer>();
        timer->setSingleShot(true);
        QObject::connect(timer.get(), &QTimer::timeout, std::move(action));
        timer->start(ms);
        return timer;
    }
    static QThread* threadId() { return QThread::currentThread(); }
    static std::string pattern(std::size_t size) { return test::pattern(size); }

    static std::unique_ptr<ScriptedServer>& scripted() {
        static std::unique_ptr<ScriptedServer> server;
        return server;
    }
    static std::unique_ptr<NginxServer>& nginx() {
        static std::unique_ptr<NginxServer> server;
        return server;
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Curl, TransferContract, CurlTransferTraits);
INSTANTIATE_TYPED_TEST_SUITE_P(Curl, ResumeContract, CurlTransferTraits);

using CurlTransferTest = TransferContract<CurlTransferTraits>;

// Users behind a company proxy reach the server through it, as the
// environment names it. The request names a host that only the test proxy
// knows (it leads every name to 127.0.0.1), and whose certificate
// the test authority signed. A host that "no_proxy" names is reached directly.
TEST_F(CurlTransferTest, GoesThroughTheProxyTheSystemNames) {
    const ScriptedServer& server = *CurlTransferTraits::scripted();
    qputenv("https_proxy", QByteArray::fromStdString(server.http("")));
    qputenv("no_proxy", "127.0.0.1");
    qunsetenv("NO_PROXY");
    const auto inet = make();
    Download download(*inet);
    download.start("https://otro-servidor.example:" + std::to_string(server.otherHostPort()) +
                   "/ok/2000");
    ASSERT_TRUE(download.run());
    Download direct(*inet);
    direct.start(server.https("/ok/10"));
    ASSERT_TRUE(direct.run());
    qunsetenv("https_proxy");
    qunsetenv("no_proxy");
    EXPECT_EQ(countOf(download.states, State::kError), 0);
    EXPECT_TRUE(download.body == pattern(2000));
    EXPECT_TRUE(direct.body == pattern(10));

    Download count(*inet);
    count.start(server.https("/tunnels"));
    ASSERT_TRUE(count.run());
    EXPECT_EQ(count.body, "1");
}

// What a request that got no answer reports, and an authority built in for
// a mirror vouching for the mirror's host alone: the same server under
// another name is refused as untrusted.
TEST_F(CurlTransferTest, SaysWhyNoAnswerCameAndTrustsTheBuiltInAuthorityForTheMainServerOnly) {
    struct Case {
        Server main;
        Server asked;
        bool builtInOnly;
        std::optional<transfer::TransferFault> fault;
    };
    using Fault = transfer::TransferFault;
    for (const Case& c :
         {Case{Server::kTrusted, Server::kTrusted, true, std::nullopt},
          Case{Server::kOtherName, Server::kOtherName, true, std::nullopt},
          Case{Server::kTrusted, Server::kOtherName, true, Fault::kCertificateUntrusted},
          Case{Server::kTrusted, Server::kUntrusted, false, Fault::kCertificateUntrusted},
          Case{Server::kTrusted, Server::kOtherHost, false, Fault::kCertificateWrongHost},
          Case{Server::kTrusted, Server::kClosed, false, Fault::kConnectionRefused}}) {
        const std::string asked = url(c.asked, "/ok/100");
        SCOPED_TRACE(asked);
        const std::string pem = testAuthorities().everyHostPem;
        const auto transfer =
            makeTransfer(url(c.main, "/"),
                         c.builtInOnly ? curl::TrustedAuthorities{"", pem} : testAuthorities());
        transfer::ResumingTransfer& inet = *transfer;
        Download download(inet);
        download.start(asked);
        ASSERT_TRUE(download.run());
        EXPECT_EQ(download.ended, !c.fault);
        if (c.fault) {
            const std::string host = c.asked == Server::kOtherName ? "localhost" : "127.0.0.1";
            EXPECT_EQ(inet.requestFailure().description(),
                      transfer::transferFailure(*c.fault, host).description());
        }
    }
}

}  // namespace
}  // namespace quibrant::test
