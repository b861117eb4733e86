#pragma once

#include <memory>
#include <string>

#include "platform/SignatureCheck.h"

namespace quibrant::posix {

struct PeLayout;

// Checks Authenticode signatures in-process with OpenSSL's libcrypto, as
// Windows does: the PE digest, the PKCS#7 signature over it, a chain for code
// signing to the system's roots or the authorities given, and the signer's
// organisation. A trusted RFC 3161 timestamp sets the time the chain must
// have been valid at; without one, that time is now.
class PosixSignatureCheck : public platform::SignatureCheck {
  public:
    // `extraAuthoritiesPem`: certificates trusted besides the system's roots
    // (the ones built in unless told otherwise).
    PosixSignatureCheck();
    explicit PosixSignatureCheck(const std::string& extraAuthoritiesPem);
    ~PosixSignatureCheck() override;
    PosixSignatureCheck(const PosixSignatureCheck&) = delete;
    PosixSignatureCheck& operator=(const PosixSignatureCheck&) = delete;

    platform::SignatureReport check(const std::string& path,
                                    const std::string& organisation) override;

  private:
    struct Trust;
    platform::SignatureReport checkSigned(int fd, const PeLayout& layout,
                                          const std::string& organisation);
    std::unique_ptr<Trust> trust_;
};

}  // namespace quibrant::posix
