#include <windows.h>

#include <cstdlib>
#include <string>

#include "contract/SignatureContract.h"
#include "win32/services/Win32SignatureCheck.h"

namespace quibrant::test {
namespace {

bool underWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The Windows check on the files run-signature-tests.sh signed; the test
// authority is in the current user's root store for the run.
struct WindowsSignatures {
    const std::string folder = [] {
        const char* named = std::getenv("QUIBRANT_SIGNED_INSTALLERS");
        EXPECT_NE(named, nullptr) << "QUIBRANT_SIGNED_INSTALLERS names no folder";
        return std::string(named != nullptr ? named : "C:\\no-existe");
    }();
    win32::Win32SignatureCheck signatures;

    std::string installer(const std::string& name) const {
        return name.empty() ? folder : folder + "\\" + name;
    }
    // wine's WinVerifyTrust checks the signature and the digest, but neither
    // the chain to a root nor the certificate's validity period: it answers
    // 0 (trusted) for these two.
    std::string unanswerable(const std::string& name) const {
        if (underWine() && (name == "untrusted.exe" || name == "expired.exe")) {
            return "wine no comprueba la cadena ni la vigencia del certificado";
        }
        return "";
    }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Windows, SignatureContract, WindowsSignatures);

}  // namespace quibrant::test
