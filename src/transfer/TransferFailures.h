#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/Failure.h"

namespace quibrant::transfer {

// The failures a transfer component reports while it issues a request or
// hands out its body, worded once for every component. Each returns the
// Failure for the component to throw.

// How long a body that has started may deliver nothing before the transfer
// fails, so that a stalled download never hangs for ever.
inline constexpr std::chrono::milliseconds kStallLimit{60000};

// How far the body got: the bytes received from the network, and the
// "Content-Length" header as the server sent it ("" when it sent none).
struct BodyProgress {
    std::int64_t received = 0;
    std::string announced;
};

// What went wrong, as the component saw it.
enum class TransferFault {
    // The caller asked for an operation other than GET; `subject` names it.
    kUnsupportedOperation,
    // The address is not an HTTP(S) address of a server; `subject` is it.
    kInvalidAddress,
    // A piece was asked for before any request.
    kNoRequest,
    // The caller cancelled the request, or the window closed meanwhile.
    kCancelled,

    // Before any answer; `subject` is the server's host name.
    kHostNotFound,
    kConnectionRefused,
    kCannotConnect,
    kCertificateUntrusted,
    // Expired or not yet valid: often only a wrong clock on this computer.
    kCertificateDate,
    kCertificateWrongHost,
    kCertificateInvalid,
    kSecureChannelFailed,
    kProxyFailed,
    kInsecureRedirect,
    kTooManyRedirects,
    kInvalidResponse,
    // Connected, but the answer did not come in time.
    kTimedOut,
    kNetworkFailed,

    // While the body arrives (see brokenBody).
    kConnectionReset,
    kConnectionClosed,
    // Asked again for the rest, the server holds another version of the file.
    kChangedOnServer,
    // Not a fault: how many there are.
    kCount,
};

// The failure to report for `fault`; every component words it through here,
// so that no library's or server's own words reach the user. For the faults
// met before any answer `subject` is the server's host name and `detail`, when
// not empty, a number for support ("error 12029", "respuesta 302"), shown in
// brackets before the advice.
platform::Failure transferFailure(TransferFault fault, const std::string& subject = "",
                                  const std::string& detail = "");

// The numbers for support that `detail` carries: the status of an answer the
// transfer could not use ("respuesta 302"), or a component's own error number
// ("error 12029").
std::string answerDetail(int status);
std::string errorDetail(unsigned long number);

// How `fault` broke a connection, as a clause ("el servidor rechazó la
// conexión"), for a component that words a failure of its own around it.
std::string faultCause(TransferFault fault);

// The body delivered nothing for `limit`.
platform::Failure stalledBody(std::chrono::milliseconds limit, const BodyProgress& progress);

// The connection broke while the body arrived: `cause` says how (a reset, a
// close before the end, or any fault above), and `detail` is a number the
// component knows it by, for support ("" when it has none).
platform::Failure brokenBody(TransferFault cause, const BodyProgress& progress,
                             const std::string& detail);

}  // namespace quibrant::transfer
