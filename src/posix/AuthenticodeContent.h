#pragma once

#include <openssl/pkcs7.h>

#include <ctime>
#include <optional>
#include <string>

namespace quibrant::posix {

class CodeSigningTrust;

// What an Authenticode signature's signed content (SpcIndirectDataContent)
// says: the digest of the program and how it was computed, and the bytes the
// signer's message digest covers (the content without its outer header).
struct SignedProgramDigest {
    const EVP_MD* algorithm = nullptr;
    std::string digest;
    std::string signedBytes;
};

// Reads the signed content of `p7`; nullopt when it is not an Authenticode
// SignedData or cannot be taken apart.
std::optional<SignedProgramDigest> readSignedProgramDigest(PKCS7& p7);

// The time a trusted RFC 3161 timestamp among `signer`'s unsigned attributes
// says the signature was made; nullopt when it has none that verifies, made
// with strong digests by an authority `trust` accepts for time stamping.
std::optional<std::time_t> verifiedTimestamp(PKCS7_SIGNER_INFO& signer,
                                             const CodeSigningTrust& trust);

// The time a trusted legacy Authenticode countersignature (PKCS #9) among
// `signer`'s unsigned attributes says the signature was made; the
// countersigner's certificate travels with `p7`. nullopt when none verifies
// as a timestamp above does.
std::optional<std::time_t> verifiedCountersignature(PKCS7& p7, PKCS7_SIGNER_INFO& signer,
                                                    const CodeSigningTrust& trust);

}  // namespace quibrant::posix
