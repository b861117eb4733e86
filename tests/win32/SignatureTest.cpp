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

// A copy of one of the signed files beside it, removed afterwards with what
// the test put next to it.
struct CopiedInstaller {
    CopiedInstaller(const WindowsSignatures& s, const std::string& name)
        : path(s.installer("copia de " + name)) {
        EXPECT_TRUE(CopyFileW(win32::widen(s.installer(name)).c_str(), wide.c_str(), FALSE));
    }
    CopiedInstaller(const CopiedInstaller&) = delete;
    CopiedInstaller& operator=(const CopiedInstaller&) = delete;
    ~CopiedInstaller() {
        DeleteFileW(wide.c_str());
        DeleteFileW((wide + kBeside).c_str());
    }

    static constexpr const wchar_t* kBeside = L".aparte";
    const std::string path;
    const std::wstring wide = win32::widen(path);
};

bool openedFor(const std::wstring& path, DWORD access) {
    return win32::UniqueHandle(CreateFileW(path.c_str(), access,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
        .valid();
}

// What another program might do to the installer; true when it could.
const struct {
    const char* what;
    bool (*attempt)(const std::wstring& path);
} kChanges[] = {
    {"write", [](const std::wstring& path) { return openedFor(path, GENERIC_WRITE); }},
    {"delete", [](const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }},
    {"rename",
     [](const std::wstring& path) {
         return MoveFileExW(path.c_str(), (path + CopiedInstaller::kBeside).c_str(), 0) != FALSE;
     }},
    {"replace",
     [](const std::wstring& path) {
         const std::wstring other = path + CopiedInstaller::kBeside;
         const bool made =
             win32::UniqueHandle(CreateFileW(other.c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))
                 .valid();
         return made && MoveFileExW(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
     }},
};

// The installer the check accepts stays held until the last holder of its
// report lets go: others may read it (Windows must, to start it), but
// neither write, delete, rename nor replace it. A refused file is not held.
TEST(Win32SignatureCheckTest, AnAcceptedInstallerIsHeldUntilItsReportGoes) {
    WindowsSignatures s;
    const CopiedInstaller installer(s, "vendor.exe");
    platform::SignatureReport report = s.signatures.check(installer.path, kTestVendor);
    ASSERT_TRUE(report.trusted());
    ASSERT_NE(report.held, nullptr);
    EXPECT_TRUE(openedFor(installer.wide, GENERIC_READ));
    for (const auto& change : kChanges) {
        EXPECT_FALSE(change.attempt(installer.wide)) << change.what;
    }
    report.held.reset();
    EXPECT_TRUE(kChanges[0].attempt(installer.wide));

    const CopiedInstaller unsigned_(s, "unsigned.exe");
    EXPECT_EQ(s.signatures.check(unsigned_.path, kTestVendor).held, nullptr);
    EXPECT_TRUE(kChanges[1].attempt(unsigned_.wide));
}

}  // namespace

}  // namespace quibrant::test
