#pragma once

#include <memory>
#include <string>

#include "platform/SignatureCheck.h"

namespace quibrant::posix {

class CodeSigningTrust;
struct PeLayout;

// Checks Authenticode signatures in-process with OpenSSL's libcrypto, as
// Windows does: the PE digest, the PKCS#7 signature over it, a chain for code
// signing to the authorities built in (else the system's store), and the
// signer's organisation; CodeSigningTrust holds the rules. A trusted RFC 3161
// timestamp or legacy countersignature sets the time the chain must have been
// valid at; without one, that time is now.
class PosixSignatureCheck : public platform::SignatureCheck {
  public:
    // `authoritiesPem`: the only authorities trusted for code signing (the
    // ones built in unless told otherwise); empty, the system's store.
    PosixSignatureCheck();
    explicit PosixSignatureCheck(const std::string& authoritiesPem);
    ~PosixSignatureCheck() override;
    PosixSignatureCheck(const PosixSignatureCheck&) = delete;
    PosixSignatureCheck& operator=(const PosixSignatureCheck&) = delete;

    platform::SignatureReport check(const std::string& path,
                                    const std::string& organisation) override;

  private:
    platform::SignatureReport checkSigned(int fd, const PeLayout& layout,
                                          const std::string& organisation);
    std::unique_ptr<CodeSigningTrust> trust_;
};

}  // namespace quibrant::posix
