// Test-only tool: trusts (or stops trusting) a test certificate authority in
// the current user's root store of the Windows installation it runs in, a
// wine prefix made for the tests. It never runs on a user's machine.
//
//   wininet_trust_test_authority add|remove FILE.pem

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string readFile(const wchar_t* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int complain(const char* what) {
    std::fprintf(stderr, "%s: error %lu\n", what, GetLastError());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || (std::wstring(argv[1]) != L"add" && std::wstring(argv[1]) != L"remove")) {
        std::fprintf(stderr, "usage: wininet_trust_test_authority add|remove FILE.pem\n");
        return 2;
    }
    const bool add = std::wstring(argv[1]) == L"add";
    const std::string pem = readFile(argv[2]);
    DWORD size = 0;
    if (pem.empty() ||
        !CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()),
                              CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
        return complain("cannot read the certificate");
    }
    std::string der(size, '\0');
    CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                         reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr);

    // The registry store itself: deleting through the system store's view
    // leaves the certificate in the registry under wine.
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0,
                                     CERT_SYSTEM_STORE_CURRENT_USER, L"ROOT");
    if (store == nullptr) {
        return complain("cannot open the root store");
    }
    int result = 0;
    if (add) {
        if (!CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                              reinterpret_cast<const BYTE*>(der.data()), size,
                                              CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
            result = complain("cannot add the certificate");
        }
    } else {
        PCCERT_CONTEXT wanted = CertCreateCertificateContext(
            X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), size);
        PCCERT_CONTEXT found =
            wanted == nullptr ? nullptr
                              : CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                           CERT_FIND_EXISTING, wanted, nullptr);
        // Deleting frees the context it is given.
        if (found != nullptr && !CertDeleteCertificateFromStore(found)) {
            result = complain("cannot remove the certificate");
        }
        if (wanted != nullptr) {
            CertFreeCertificateContext(wanted);
        }
    }
    CertCloseStore(store, 0);
    return result;
}
