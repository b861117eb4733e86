#pragma once

#include <cstdint>
#include <string>

#include "check/MirrorTargets.h"

namespace quibrant::check {

// Why a target would be refused, in words a script can rely on.
enum class Cause {
    None,           // accepted: the program would start it
    Missing,        // the server says it has no such file (404, 410)
    Status,         // any other answer that is no success
    Transfer,       // no answer, or the body did not arrive whole
    Unsigned,       // no signature at all, or no program file
    Malformed,      // a signature or program file that cannot be taken apart
    Tampered,       // the content is not what was signed
    Untrusted,      // the chain leads to no trusted authority
    Expired,        // the certificate was not valid when it signed
    ForeignSigner,  // signed by another organisation
    WeakDigest,     // MD5 or SHA-1
    Unreadable,     // the downloaded file could not be read back
};

// What fetching and checking one target found.
struct TargetOutcome {
    MirrorTarget target;
    // The server's final status, 0 when no answer came.
    int status = 0;
    // The announced length of a successful answer, -1 when there is none.
    std::int64_t size = -1;
    // The organisation the signature names, as the certificate spells it; ""
    // when there is no signature or the file never arrived.
    std::string signer;
    Cause cause = Cause::None;
    // Why it would be refused, in Spanish; "" when accepted.
    std::string reason;

    bool accepted() const { return cause == Cause::None; }
};

// The stable machine name of a cause ("missing", "foreign_signer"...).
const char* causeName(Cause cause);

}  // namespace quibrant::check
