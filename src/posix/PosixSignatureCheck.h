#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/SignatureCheck.h"
#include "posix/WinePaths.h"

namespace quibrant::posix {

class CodeSigningTrust;
class AuthenticodeStream;
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
    // The Authenticode digest is taken while the file is written, so the
    // check after the last byte reads the signature and the headers only.
    std::unique_ptr<platform::WrittenDigest> digestWhileWriting(
        const std::string& identity) override;
    platform::SignatureReport checkWritten(const std::string& path,
                                           const std::string& organisation,
                                           const platform::WrittenDigest& written) override;

  private:
    platform::SignatureReport checkFile(const std::string& path, const std::string& organisation,
                                        const AuthenticodeStream* written);
    // `sha256`, when known, is the file's SHA-256 Authenticode digest.
    platform::SignatureReport checkSigned(int fd, const PeLayout& layout,
                                          const std::string& organisation,
                                          const std::optional<std::string>& sha256);
    std::unique_ptr<CodeSigningTrust> trust_;
    WinePaths wine_ = WinePaths::fromEnvironment();
};

}  // namespace quibrant::posix
