#include "win32/services/Win32SignatureCheck.h"

#include <windows.h>
// After windows.h, which they build on.
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <memory>
#include <string>

#include "win32/services/Utf16.h"
#include "win32/services/Win32CheckedFile.h"

namespace quibrant::win32 {

namespace {

using platform::SignatureFault;
using platform::SignatureReport;

// wintrust.dll and crypt32.dll are not among the DLLs Windows always takes
// from its own folder: imported, they would be looked for first beside the
// program, typically in the Downloads folder. They are loaded from the system
// folder only, when the first check needs them.
struct TrustFunctions {
    decltype(&WinVerifyTrust) verifyTrust = nullptr;
    decltype(&WTHelperProvDataFromStateData) providerData = nullptr;
    decltype(&WTHelperGetProvSignerFromChain) signerFromChain = nullptr;
    decltype(&CertGetNameStringW) nameString = nullptr;

    bool loaded() const { return verifyTrust && providerData && signerFromChain && nameString; }
};

template <typename Function>
void find(HMODULE module, const char* name, Function& function) {
    function =
        module != nullptr
            ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
            : nullptr;
}

// By its full path in the system folder, which needs no search at all (the
// search flags of LoadLibraryEx are missing from an un-updated Windows 7).
HMODULE loadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    return LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
}

// Loaded once and kept for the program's life, as imported DLLs would be.
const TrustFunctions& trustFunctions() {
    static const TrustFunctions functions = [] {
        TrustFunctions loaded;
        const HMODULE wintrust = loadSystemLibrary(L"wintrust.dll");
        const HMODULE crypt32 = loadSystemLibrary(L"crypt32.dll");
        find(wintrust, "WinVerifyTrust", loaded.verifyTrust);
        find(wintrust, "WTHelperProvDataFromStateData", loaded.providerData);
        find(wintrust, "WTHelperGetProvSignerFromChain", loaded.signerFromChain);
        find(crypt32, "CertGetNameStringW", loaded.nameString);
        return loaded;
    }();
    return functions;
}

// Closes the state WinVerifyTrust kept for a verification, whatever the
// verdict was.
class VerifiedState {
  public:
    VerifiedState(WINTRUST_DATA& data, GUID& action) : data_(data), action_(action) {}
    VerifiedState(const VerifiedState&) = delete;
    VerifiedState& operator=(const VerifiedState&) = delete;
    ~VerifiedState() {
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        trustFunctions().verifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }

  private:
    WINTRUST_DATA& data_;
    GUID& action_;
};

SignatureFault faultOf(LONG status) {
    switch (static_cast<HRESULT>(status)) {
        case TRUST_E_NOSIGNATURE:
        case TRUST_E_SUBJECT_FORM_UNKNOWN:
        case TRUST_E_PROVIDER_UNKNOWN:
            return SignatureFault::Unsigned;
        case TRUST_E_BAD_DIGEST:
        case TRUST_E_CERT_SIGNATURE:
            return SignatureFault::Tampered;
        case CERT_E_EXPIRED:
        case CERT_E_VALIDITYPERIODNESTING:
            return SignatureFault::Expired;
        case CERT_E_UNTRUSTEDROOT:
        case CERT_E_UNTRUSTEDTESTROOT:
        case CERT_E_CHAINING:
        case CERT_E_WRONG_USAGE:
        case CERT_E_PURPOSE:
        case CERT_E_REVOKED:
        case TRUST_E_EXPLICIT_DISTRUST:
        case CRYPT_E_SECURITY_SETTINGS:
            return SignatureFault::Untrusted;
        case static_cast<HRESULT>(ERROR_ACCESS_DENIED):
        case static_cast<HRESULT>(ERROR_SHARING_VIOLATION):
            return SignatureFault::Unreadable;
        default:
            return SignatureFault::Malformed;
    }
}

// Why a file could not be opened: not there at all (or a folder), or there
// but not to be read.
SignatureFault missingOrUnreadable(DWORD error, DWORD attributes) {
    const bool folder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return folder || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                   error == ERROR_INVALID_NAME || error == ERROR_INVALID_DRIVE
               ? SignatureFault::Missing
               : SignatureFault::Unreadable;
}

// The signature itself held; only its certificate's chain or time failed.
bool signatureHeld(SignatureFault fault) {
    return fault == SignatureFault::Expired || fault == SignatureFault::Untrusted;
}

// The organisation (O=) of the signer's certificate in the verified state.
std::string signerOrganisation(const TrustFunctions& trust, HANDLE state) {
    CRYPT_PROVIDER_DATA* provider = trust.providerData(state);
    CRYPT_PROVIDER_SGNR* signer =
        provider != nullptr ? trust.signerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr ||
        signer->pasCertChain[0].pCert == nullptr) {
        return "";
    }
    PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;
    auto* oid = const_cast<char*>(szOID_ORGANIZATION_NAME);
    const DWORD size = trust.nameString(certificate, CERT_NAME_ATTR_TYPE, 0, oid, nullptr, 0);
    if (size <= 1) {
        return "";
    }
    std::wstring name(size, L'\0');
    trust.nameString(certificate, CERT_NAME_ATTR_TYPE, 0, oid, name.data(), size);
    name.resize(size - 1);
    return narrow(name);
}

}  // namespace

SignatureReport Win32SignatureCheck::check(const std::string& path,
                                           const std::string& organisation) {
    SignatureReport report;
    const std::wstring wide = widen(path);
    const DWORD attributes =
        path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        report.fault =
            missingOrUnreadable(path.empty() ? ERROR_PATH_NOT_FOUND : GetLastError(), attributes);
        return report;
    }
    // One handle from the check to the start: WinVerifyTrust reads the file
    // through it, and what starts later is the file it read.
    UniqueHandle file = Win32CheckedFile::open(wide);
    if (!file.valid()) {
        const DWORD error = GetLastError();
        report.fault = missingOrUnreadable(error, attributes);
        report.systemCode = error;
        return report;
    }

    const TrustFunctions& trust = trustFunctions();
    if (!trust.loaded()) {
        // Without the system's verifier nothing can be shown to be signed.
        report.fault = SignatureFault::Unsigned;
        report.systemCode = static_cast<std::uint32_t>(TRUST_E_PROVIDER_UNKNOWN);
        return report;
    }

    WINTRUST_FILE_INFO subject{};
    subject.cbStruct = sizeof subject;
    subject.pcwszFilePath = wide.c_str();
    subject.hFile = file.get();
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &subject;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;

    const LONG status = trust.verifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    const VerifiedState closing(data, action);
    report.systemCode = static_cast<std::uint32_t>(status);
    if (status != ERROR_SUCCESS) {
        report.fault = faultOf(status);
        report.valid = signatureHeld(report.fault);
        return report;
    }
    report.valid = true;
    report.trustedRoot = true;
    report.signer = signerOrganisation(trust, data.hWVTStateData);
    report.vendorSigner = report.signer == organisation;
    report.fault = report.vendorSigner ? SignatureFault::None : SignatureFault::ForeignSigner;
    if (report.trusted()) {
        report.held = std::make_shared<Win32CheckedFile>(std::move(file));
    }
    return report;
}

}  // namespace quibrant::win32
