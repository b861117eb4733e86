#pragma once

#include <cstdint>
#include <string>

namespace quibrant::platform {

// Why a file's signature is not the one an installer must carry.
enum class SignatureFault {
    None,           // a valid signature of the expected organisation, trusted
    Missing,        // there is no file at that path (nothing, or a folder)
    Unreadable,     // the file could not be read
    Unsigned,       // no signature at all (or not a program file)
    Malformed,      // a signature or program file that cannot be taken apart
    Tampered,       // the content is not what was signed
    Untrusted,      // the signer's certificate leads to no trusted root
    Expired,        // the certificate was not valid when the file was signed
    ForeignSigner,  // a sound signature, but of another organisation
    WeakDigest,     // signed with a digest too weak to prove anything (MD5, SHA-1)
};

// What a check of a file's Authenticode signature found.
struct SignatureReport {
    // A signature over the file's real digest.
    bool valid = false;
    // Its certificate chains to a trusted root and was valid when it signed.
    bool trustedRoot = false;
    // The signer's subject names the expected organisation.
    bool vendorSigner = false;
    // The organisation the signer's subject names, "" when unknown.
    std::string signer;
    SignatureFault fault = SignatureFault::Unsigned;
    // The system's own result code for support, 0 when it has none.
    std::uint32_t systemCode = 0;

    bool trusted() const { return valid && trustedRoot && vendorSigner; }
};

// Checks the Authenticode signature of a program file.
class SignatureCheck {
  public:
    virtual ~SignatureCheck() = default;
    // Never throws: every problem is a fault of the report. `organisation` is
    // the organisation (O=) the signer's subject must name.
    virtual SignatureReport check(const std::string& path, const std::string& organisation) = 0;
};

}  // namespace quibrant::platform
