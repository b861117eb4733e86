#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <string>

#include "curl/TrustedAuthorities.h"
#include "transfer/ResumingTransfer.h"

namespace quibrant::test {

// Where the test certificate authority, the certificates and the served
// files are (made by make-test-pki.sh before the tests run).
QString pkiFolder();
// The bytes of a file that nginx serves, e.g. "f1024.bin".
std::string servedFile(const std::string& name);
// The bytes the scriptable server sends for its first `size` body bytes.
std::string pattern(std::size_t size);
// Keeps requests off any proxy set in the environment; call once before the
// first request.
void prepareTestNetwork();
// The test certificate authority, trusted for every host as if the system
// held it: the tests' servers go by several names.
curl::TrustedAuthorities testAuthorities();

// The transfer over the libcurl connection, trusting `authorities`.
std::unique_ptr<transfer::ResumingTransfer> makeTransfer(
    const std::string& mainServerBaseUrl,
    const curl::TrustedAuthorities& authorities = testAuthorities());

// nginx serving pkiFolder()/www over HTTPS on 127.0.0.1, for the life of the
// object. It dies with the test process even when the test crashes.
class NginxServer {
  public:
    NginxServer();
    ~NginxServer();
    int port() const { return port_; }
    // "https://127.0.0.1:<port>/"
    std::string baseUrl() const;

  private:
    QTemporaryDir work_;
    QProcess process_;
    int port_ = 0;
};

// The scriptable server of test_server.py: its ports for each kind of
// listener. It dies with the test process.
class ScriptedServer {
  public:
    ScriptedServer();
    ~ScriptedServer();
    int httpsPort() const { return https_; }
    int otherHostPort() const { return otherHost_; }
    int untrustedPort() const { return untrusted_; }
    int httpPort() const { return http_; }
    int closedPort() const { return closed_; }
    int expiredPort() const { return expired_; }
    std::string https(const std::string& path) const;
    std::string http(const std::string& path) const;

  private:
    QProcess process_;
    int https_ = 0;
    int otherHost_ = 0;
    int untrusted_ = 0;
    int http_ = 0;
    int closed_ = 0;
    int expired_ = 0;
};

}  // namespace quibrant::test
