#pragma once

#include <openssl/types.h>

#include <memory>
#include <string>
#include <vector>

namespace quibrant::curl {

// Certificate authorities read once from PEM text and added, on top of the
// system's own, to the store of each secure connection that may trust them.
class CertificateAuthorities {
  public:
    CertificateAuthorities() = default;
    explicit CertificateAuthorities(const std::string& pem);

    bool empty() const { return certificates_.empty(); }
    std::size_t size() const { return certificates_.size(); }
    // Adds them to the context's store; the system's authorities stay.
    void addTo(SSL_CTX* context) const;

  private:
    struct FreeCertificate {
        void operator()(X509* certificate) const;
    };
    std::vector<std::unique_ptr<X509, FreeCertificate>> certificates_;
};

// Which authorities a transfer component trusts besides the system's.
struct TrustedAuthorities {
    // Trusted for every host, as if the system held them.
    std::string everyHostPem;
    // Trusted for the main server's host alone: a mirror's or a demo's own
    // authority must not vouch for any other site.
    std::string mainServerPem;

    // The ones built into the program: the extra authority a mirror or a
    // demo build names, for the main server only.
    static TrustedAuthorities builtIn();
};

}  // namespace quibrant::curl
