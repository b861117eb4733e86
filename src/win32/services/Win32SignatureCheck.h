#pragma once

#include <string>

#include "platform/SignatureCheck.h"

namespace quibrant::win32 {

// Checks Authenticode signatures with WinVerifyTrust: the generic
// verification policy, the certificate store's roots, revocation from the
// cache only (a check never waits on the network), and the signer's
// organisation read from the same verified state.
class Win32SignatureCheck : public platform::SignatureCheck {
  public:
    platform::SignatureReport check(const std::string& path,
                                    const std::string& organisation) override;
};

}  // namespace quibrant::win32
