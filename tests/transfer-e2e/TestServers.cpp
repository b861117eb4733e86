#include "TestServers.h"

#include "curl/CurlConnection.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QtGlobal>

#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quibrant::test {

namespace {

// A server left behind by a crashed test would hold its port for ever.
void dieWithParent(QProcess& process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

int freePort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    const bool bound = ::bind(probe, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                       ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    ::close(probe);
    if (!bound) {
        throw std::runtime_error("no free port");
    }
    return ntohs(address.sin_port);
}

bool accepts(int port) {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(port);
    const bool connected =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return connected;
}

// The mirror helper of the scripts writes the configuration, so that it is
// written in one place for the tests, the demo and the benchmarks.
void writeNginxConfig(const QString& dir, int port) {
    const QString pki = pkiFolder();
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedChannels);
    writer.start("bash",
                 {QStringLiteral(QUIBRANT_MIRROR_SCRIPT), "write-conf", dir, QString::number(port),
                  pki + "/www", pki + "/server.pem", pki + "/server.key"});
    if (!writer.waitForFinished(10000) || writer.exitStatus() != QProcess::NormalExit ||
        writer.exitCode() != 0) {
        throw std::runtime_error("cannot write the nginx configuration");
    }
}

void stop(QProcess& process) {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

}  // namespace

QString pkiFolder() {
    return QStringLiteral(QUIBRANT_TEST_PKI_DIR);
}

std::string servedFile(const std::string& name) {
    std::ifstream in((pkiFolder() + "/www/").toStdString() + name, std::ios::binary);
    if (!in) {
        throw std::runtime_error("missing served file " + name);
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    return bytes;
}

void prepareTestNetwork() {
    for (const char* name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        qunsetenv(name);
    }
}

std::unique_ptr<transfer::ResumingTransfer> makeTransfer(
    const std::string& mainServerBaseUrl, const curl::TrustedAuthorities& authorities) {
    return std::make_unique<transfer::ResumingTransfer>(
        std::make_unique<curl::CurlConnection>(mainServerBaseUrl, authorities), mainServerBaseUrl);
}

curl::TrustedAuthorities testAuthorities() {
    static const std::string pem = [] {
        QFile authority(pkiFolder() + "/ca.pem");
        if (!authority.open(QIODevice::ReadOnly) ||
            curl::CertificateAuthorities(authority.readAll().toStdString()).size() != 1) {
            throw std::runtime_error("cannot read the test certificate authority");
        }
        authority.seek(0);
        return authority.readAll().toStdString();
    }();
    return {pem, ""};
}

NginxServer::NginxServer() {
    const QString dir = work_.path();
    for (int attempt = 0; attempt < 5 && port_ == 0; ++attempt) {
        const int port = freePort();
        writeNginxConfig(dir, port);
        dieWithParent(process_);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start("nginx", {"-p", dir, "-e", dir + "/error.log", "-c", dir + "/nginx.conf"});
        if (!process_.waitForStarted(5000)) {
            throw std::runtime_error("cannot start nginx");
        }
        for (int wait = 0; wait < 50; ++wait) {
            if (accepts(port)) {
                port_ = port;
                break;
            }
            if (process_.state() == QProcess::NotRunning) {
                break;
            }
            QThread::msleep(50);
        }
        if (port_ == 0) {
            stop(process_);
        }
    }
    if (port_ == 0) {
        throw std::runtime_error("nginx did not come up");
    }
}

NginxServer::~NginxServer() {
    stop(process_);
}

std::string NginxServer::baseUrl() const {
    return "https://127.0.0.1:" + std::to_string(port_) + "/";
}

ScriptedServer::ScriptedServer() {
    dieWithParent(process_);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start("/usr/bin/python3",
                   {QStringLiteral(QUIBRANT_TEST_SERVER_SCRIPT), "--pki", pkiFolder()});
    if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(10000)) {
        throw std::runtime_error("cannot start the scripted test server");
    }
    const QJsonObject ports = QJsonDocument::fromJson(process_.readLine()).object();
    https_ = ports["https"].toInt();
    otherHost_ = ports["other_host"].toInt();
    untrusted_ = ports["untrusted"].toInt();
    http_ = ports["http"].toInt();
    closed_ = ports["closed"].toInt();
    expired_ = ports["expired"].toInt();
    if (https_ == 0 || http_ == 0) {
        throw std::runtime_error("the scripted test server gave no ports");
    }
}

ScriptedServer::~ScriptedServer() {
    process_.closeWriteChannel();
    stop(process_);
}

std::string ScriptedServer::https(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(https_) + path;
}

std::string ScriptedServer::http(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(http_) + path;
}

}  // namespace quibrant::test
