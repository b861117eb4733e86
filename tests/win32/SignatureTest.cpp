#include <windows.h>

#include <cstdlib>
#include <string>

#include "contract/SignatureContract.h"
#include "win32/services/Utf16.h"
#include "win32/services/Win32Handles.h"
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

namespace {

// A copy of one of the signed files beside it, removed afterwards with the
// file the test puts next to it.
struct CopiedInstaller {
    CopiedInstaller(const WindowsSignatures& s, const std::string& name)
        : path(s.installer("copia de " + name)) {
        EXPECT_TRUE(CopyFileW(win32::widen(s.installer(name)).c_str(), wide.c_str(), FALSE));
    }
    CopiedInstaller(const CopiedInstaller&) = delete;
    CopiedInstaller& operator=(const CopiedInstaller&) = delete;
    ~CopiedInstaller() {
        DeleteFileW(wide.c_str());
        DeleteFileW(aside.c_str());
    }

    const std::string path;
    const std::wstring wide = win32::widen(path);
    const std::wstring aside = wide + L".aparte";
};

bool openedFor(const std::wstring& path, DWORD access) {
    return win32::UniqueHandle(CreateFileW(path.c_str(), access,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
        .valid();
}

// The installer the check accepts stays held until the last holder of its
// report lets go: others may read it (Windows must, to start it), but
// neither write, delete, rename nor replace it. A refused file is not held.
TEST(Win32SignatureCheckTest, AnAcceptedInstallerIsHeldUntilItsReportGoes) {
    WindowsSignatures s;
    const CopiedInstaller installer(s, "vendor.exe");
    const wchar_t* const path = installer.wide.c_str();
    platform::SignatureReport report = s.signatures.check(installer.path, kTestVendor);
    ASSERT_TRUE(report.trusted());
    ASSERT_NE(report.held, nullptr);
    EXPECT_TRUE(openedFor(path, GENERIC_READ));
    EXPECT_FALSE(openedFor(path, GENERIC_WRITE));
    EXPECT_FALSE(DeleteFileW(path));
    EXPECT_FALSE(MoveFileExW(path, installer.aside.c_str(), 0));
    ASSERT_TRUE(CopyFileW(win32::widen(s.installer("unsigned.exe")).c_str(),
                          installer.aside.c_str(), FALSE));
    EXPECT_FALSE(MoveFileExW(installer.aside.c_str(), path, MOVEFILE_REPLACE_EXISTING));
    report.held.reset();
    EXPECT_TRUE(openedFor(path, GENERIC_WRITE));

    const CopiedInstaller unsigned_(s, "unsigned.exe");
    EXPECT_EQ(s.signatures.check(unsigned_.path, kTestVendor).held, nullptr);
    EXPECT_TRUE(DeleteFileW(unsigned_.wide.c_str()));
}

}  // namespace

}  // namespace quibrant::test
