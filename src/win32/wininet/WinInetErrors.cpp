#include "win32/wininet/WinInetErrors.h"

#include <windows.h>
#include <wininet.h>

namespace quibrant::win32 {
namespace {

using transfer::TransferFault;

// mingw-w64's headers do not name it.
constexpr DWORD kErrorInternetDecodingFailed = 12175;

// What each WinINet error means for the user; the core words it, so that a
// failure reads the same on every system.
struct InternetErrorFault {
    DWORD error;
    TransferFault fault;
};

constexpr InternetErrorFault kInternetErrors[] = {
    {ERROR_INTERNET_OUT_OF_HANDLES, TransferFault::kNetworkFailed},
    {ERROR_INTERNET_TIMEOUT, TransferFault::kTimedOut},
    {ERROR_INTERNET_EXTENDED_ERROR, TransferFault::kInvalidResponse},
    {ERROR_INTERNET_INTERNAL_ERROR, TransferFault::kNetworkFailed},
    {ERROR_INTERNET_NAME_NOT_RESOLVED, TransferFault::kHostNotFound},
    {ERROR_INTERNET_OPERATION_CANCELLED, TransferFault::kCancelled},
    {ERROR_INTERNET_INCORRECT_HANDLE_STATE, TransferFault::kCancelled},
    {ERROR_INTERNET_CANNOT_CONNECT, TransferFault::kCannotConnect},
    {ERROR_INTERNET_CONNECTION_ABORTED, TransferFault::kConnectionReset},
    {ERROR_INTERNET_CONNECTION_RESET, TransferFault::kConnectionReset},
    {ERROR_INTERNET_INVALID_PROXY_REQUEST, TransferFault::kProxyFailed},
    {ERROR_INTERNET_BAD_AUTO_PROXY_SCRIPT, TransferFault::kProxyFailed},
    {ERROR_INTERNET_UNABLE_TO_DOWNLOAD_SCRIPT, TransferFault::kProxyFailed},
    {ERROR_HTTP_INVALID_SERVER_RESPONSE, TransferFault::kInvalidResponse},
    {ERROR_HTTP_REDIRECT_FAILED, TransferFault::kInvalidResponse},
    {ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR, TransferFault::kInsecureRedirect},
    {ERROR_INTERNET_SEC_CERT_DATE_INVALID, TransferFault::kCertificateDate},
    {ERROR_INTERNET_SEC_CERT_CN_INVALID, TransferFault::kCertificateWrongHost},
    {ERROR_INTERNET_INVALID_CA, TransferFault::kCertificateUntrusted},
    {ERROR_INTERNET_SEC_CERT_ERRORS, TransferFault::kCertificateInvalid},
    {ERROR_INTERNET_SEC_INVALID_CERT, TransferFault::kCertificateInvalid},
    {ERROR_INTERNET_SEC_CERT_REVOKED, TransferFault::kCertificateInvalid},
    {ERROR_INTERNET_SEC_CERT_NO_REV, TransferFault::kCertificateInvalid},
    // Wine reports a certificate from an authority it does not trust this way.
    {ERROR_INTERNET_SEC_CERT_REV_FAILED, TransferFault::kCertificateUntrusted},
    {ERROR_INTERNET_SECURITY_CHANNEL_ERROR, TransferFault::kSecureChannelFailed},
    {kErrorInternetDecodingFailed, TransferFault::kSecureChannelFailed},
    {ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED, TransferFault::kSecureChannelFailed},
};

}  // namespace

transfer::TransferFault faultOfInternetError(std::uint32_t error) {
    for (const InternetErrorFault& entry : kInternetErrors) {
        if (entry.error == error) {
            return entry.fault;
        }
    }
    return TransferFault::kNetworkFailed;
}

}  // namespace quibrant::win32
