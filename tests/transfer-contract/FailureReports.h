#pragma once

// What the user reads for each way a download can fail against the
// scriptable test server, as the transfer words it: the same table for every
// system, so that a failure reads alike on Linux and on Windows.

#include <cstdint>
#include <string>
#include <vector>

#include "support/FailureNumber.h"
#include "transfer/Response.h"
#include "transfer/TransferFailures.h"

namespace quibrant::test {

// Where a failing download is sent.
enum class FailingServer {
    kTrusted,      // the scriptable server, trusted
    kClosed,       // a port where nothing listens
    kUnknownHost,  // a name no resolver knows
    kUntrusted,    // a certificate from an authority nobody trusts
    kOtherHost,    // a trusted certificate for another host
    kExpired,      // a trusted certificate that has expired
};

inline constexpr const char* kUnknownHost = "no-existe.invalid";

// How a system words what only it can tell.
struct ReportingSystem {
    // How the addresses name the test servers.
    std::string host;
    // Whether the component tells a refused connection from one that could
    // not be made (WinINet reports both as one error).
    bool tellsRefusal;
    // Whether the component tells the certificate's fault from a failed
    // secure handshake.
    bool tellsCertificateFaults;
    // Whether the component tells a server that closed the connection in
    // order from one that was cut off.
    bool tellsOrderlyClose;
    // Whether the texts carry the component's error number for support.
    bool errorNumbers;
};

// How far a broken body got, as its failure tells it.
inline std::string howFarItGot(std::int64_t received, const std::string& announced) {
    const std::string text =
        transfer::brokenBody(transfer::TransferFault::kConnectionReset, {received, announced}, "")
            .description();
    const std::size_t from = text.find("; ") + 2;
    return text.substr(from, text.size() - from - 1);
}

struct FailureReport {
    FailingServer server;
    std::string path;
    std::string text;
};

inline std::vector<FailureReport> failureReports(const ReportingSystem& system) {
    using transfer::TransferFault;
    const auto error = [&](unsigned long number) {
        return system.errorNumbers ? transfer::errorDetail(number) : std::string();
    };
    const auto told = [&](TransferFault fault, const std::string& host, const std::string& detail) {
        return transfer::transferFailure(fault, host, detail).description();
    };
    const auto certificate = [&](TransferFault fault, unsigned long number) {
        return told(system.tellsCertificateFaults ? fault : TransferFault::kSecureChannelFailed,
                    system.host, error(number));
    };
    const auto status = [](int code, const std::string& location) {
        return failureText([&] { transfer::checkStatus(code, location); });
    };
    return {
        {FailingServer::kClosed, "/ok/10",
         system.tellsRefusal ? told(TransferFault::kConnectionRefused, system.host, "")
                             : told(TransferFault::kCannotConnect, system.host, error(12029))},
        {FailingServer::kUnknownHost, "/ok/10",
         told(TransferFault::kHostNotFound, kUnknownHost, error(12007))},
        {FailingServer::kUntrusted, "/ok/10",
         certificate(TransferFault::kCertificateUntrusted, 12057)},
        {FailingServer::kOtherHost, "/ok/10",
         certificate(TransferFault::kCertificateWrongHost, 12038)},
        {FailingServer::kExpired, "/ok/10", certificate(TransferFault::kCertificateDate, 12037)},
        {FailingServer::kTrusted, "/close",
         system.tellsOrderlyClose
             ? told(TransferFault::kConnectionClosed, system.host, error(12152))
             : told(TransferFault::kConnectionReset, system.host, "")},
        {FailingServer::kTrusted, "/redirect-http/3000", status(302, "http://elsewhere/")},
        {FailingServer::kTrusted, "/redirect-loop", status(302, "https://elsewhere/")},
        {FailingServer::kTrusted, "/status/404", status(404, "")},
        {FailingServer::kTrusted, "/status/401", status(401, "")},
        {FailingServer::kTrusted, "/status/500", status(500, "")},
        {FailingServer::kTrusted, "/reset/300000/100000",
         transfer::brokenBody(TransferFault::kConnectionReset, {100000, "300000"}, error(12030))
             .description()},
        {FailingServer::kTrusted, "/short/5000/2000",
         transfer::brokenBody(system.tellsOrderlyClose ? TransferFault::kConnectionClosed
                                                       : TransferFault::kConnectionReset,
                              {2000, "5000"}, "")
             .description()},
    };
}

}  // namespace quibrant::test
