#pragma once

#include <string>

#include "platform/SignatureCheck.h"

namespace quibrant::win32 {

// Checks Authenticode signatures with WinVerifyTrust: the generic
// verification policy, the certificate store's roots, revocation from the
// cache only (a check never waits on the network), and the signer's
// organisation read from the same verified state. WinVerifyTrust reads the
// file through a handle the check opened; a file it accepts stays held by
// that handle (a Win32CheckedFile in the report) until nothing refers to it.
class Win32SignatureCheck : public platform::SignatureCheck {
  public:
    platform::SignatureReport check(const std::string& path,
                                    const std::string& organisation) override;
};

}  // namespace quibrant::win32
