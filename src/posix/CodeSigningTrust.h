#pragma once

#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <ctime>
#include <string>

#include "posix/OpenSslHandles.h"

namespace quibrant::posix {

// What a certificate is asked to vouch for.
enum class Purpose { CodeSigning, TimeStamping };

enum class ChainVerdict { Trusted, Expired, Untrusted };

// Whom an installer's signature, and the time it was made at, may come from.
// A certificate vouches for a purpose when it chains to an anchor, was valid
// at the time in question, names that purpose among its extended key usages
// (time stamping as its only one), signs with digitalSignature and is no
// authority itself; and when every authority above it that lists its uses
// allows that purpose or any. Without those rules any certificate the anchors
// issued for a web server, or for another organisation's code, could sign an
// installer or backdate one.
class CodeSigningTrust {
  public:
    // `authoritiesPem`: the authorities installers are signed under, the only
    // anchors whenever it holds anything. Empty, the anchors are the system's
    // store, read where libcrypto was built to find it and never where the
    // environment points.
    explicit CodeSigningTrust(const std::string& authoritiesPem);

    // Whether `certificate`, with `carried` as the intermediates it may chain
    // through, vouches for `purpose` at `when`.
    ChainVerdict verify(X509& certificate, STACK_OF(X509) * carried, Purpose purpose,
                        std::time_t when) const;

    // The anchors, for libcrypto's own checks.
    X509_STORE& store() const { return *store_; }

  private:
    X509Store store_;
};

// Whether a digest is strong enough to sign with: SHA-256, SHA-384 or SHA-512.
// MD5 and SHA-1 collide for anyone willing to pay for it.
bool strongDigest(int nid);

// Whether a SignerInfo digests and signs with a strong digest.
bool strongSignerAlgorithms(const PKCS7_SIGNER_INFO& signer);

// Whether the certificate's subject names exactly one organisation (O=), and
// that is `organisation`. A second O= leaves it unclear who signed.
bool namesOnly(X509& certificate, const std::string& organisation);

// The organisations the certificate's subject names, for a message: cleaned
// (shownCertificateText) and joined by ", "; "" for none.
std::string shownOrganisations(X509& certificate);

// `text` from a certificate as a message may show it: without control or
// bidirectional formatting characters and bytes that are not UTF-8, and cut to
// 64 characters (X.520's longest organisation name) with an ellipsis.
std::string shownCertificateText(const std::string& text);

}  // namespace quibrant::posix
