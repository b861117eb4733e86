#include "win32/WinInetErrors.h"

#include <windows.h>
#include <wininet.h>

#include "win32/Win32Failure.h"

namespace quibrant::win32 {
namespace {

// mingw-w64's headers do not name it.
constexpr DWORD kErrorInternetDecodingFailed = 12175;

struct InternetErrorText {
    DWORD error;
    bool certificate;
    const char* text;
};

constexpr InternetErrorText kInternetErrors[] = {
    {ERROR_INTERNET_OUT_OF_HANDLES, false, "no quedan recursos de red libres"},
    {ERROR_INTERNET_TIMEOUT, false, "el servidor tardó demasiado en responder"},
    {ERROR_INTERNET_EXTENDED_ERROR, false, "el servidor devolvió un error"},
    {ERROR_INTERNET_INTERNAL_ERROR, false, "falló el componente de Internet de Windows"},
    {ERROR_INTERNET_INVALID_URL, false, "la dirección no es válida"},
    {ERROR_INTERNET_UNRECOGNIZED_SCHEME, false, "la dirección usa un protocolo no admitido"},
    {ERROR_INTERNET_NAME_NOT_RESOLVED, false, "no se encontró el servidor (nombre desconocido)"},
    {ERROR_INTERNET_OPERATION_CANCELLED, false, "la operación se canceló"},
    {ERROR_INTERNET_INCORRECT_HANDLE_STATE, false, "la operación se canceló"},
    {ERROR_INTERNET_CANNOT_CONNECT, false, "no se pudo conectar con el servidor"},
    {ERROR_INTERNET_CONNECTION_ABORTED, false, "se cortó la conexión con el servidor"},
    {ERROR_INTERNET_CONNECTION_RESET, false, "el servidor reinició la conexión"},
    {ERROR_INTERNET_INVALID_PROXY_REQUEST, false, "el proxy rechazó la petición"},
    {ERROR_INTERNET_BAD_AUTO_PROXY_SCRIPT, false,
     "el script de configuración del proxy no es válido"},
    {ERROR_INTERNET_UNABLE_TO_DOWNLOAD_SCRIPT, false,
     "no se pudo descargar la configuración del proxy"},
    {ERROR_HTTP_INVALID_SERVER_RESPONSE, false, "el servidor envió una respuesta no válida"},
    {ERROR_HTTP_REDIRECT_FAILED, false, "no se pudo seguir la redirección del servidor"},
    {ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR, false,
     "el servidor redirigió la descarga a una dirección no segura"},
    {ERROR_INTERNET_SEC_CERT_DATE_INVALID, true,
     "el certificado del servidor está caducado o aún no es válido"},
    {ERROR_INTERNET_SEC_CERT_CN_INVALID, true,
     "el certificado del servidor pertenece a otro nombre de servidor"},
    {ERROR_INTERNET_INVALID_CA, true,
     "el certificado del servidor lo emitió una autoridad que no es de confianza"},
    {ERROR_INTERNET_SEC_CERT_ERRORS, true, "el certificado del servidor no es válido"},
    {ERROR_INTERNET_SEC_INVALID_CERT, true, "el certificado del servidor no es válido"},
    {ERROR_INTERNET_SEC_CERT_REVOKED, true, "el certificado del servidor fue revocado"},
    {ERROR_INTERNET_SEC_CERT_NO_REV, true,
     "no se pudo comprobar si el certificado del servidor fue revocado"},
    // Wine reports a certificate from an authority it does not trust this way.
    {ERROR_INTERNET_SEC_CERT_REV_FAILED, true,
     "no se pudo validar el certificado del servidor (autoridad desconocida o revocación no "
     "comprobable)"},
    {ERROR_INTERNET_SECURITY_CHANNEL_ERROR, true, "falló la conexión segura con el servidor"},
    {kErrorInternetDecodingFailed, true, "falló la conexión segura con el servidor"},
    {ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED, true,
     "el servidor exige un certificado de cliente que el programa no tiene"},
};

const InternetErrorText* find(std::uint32_t error) {
    for (const InternetErrorText& entry : kInternetErrors) {
        if (entry.error == error) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

std::string describeInternetError(std::uint32_t error) {
    if (const InternetErrorText* entry = find(error)) {
        return entry->text;
    }
    // Below WinINet's range the code is an ordinary Windows error.
    if (error < INTERNET_ERROR_BASE) {
        return describeSystemError(error);
    }
    return "error de red " + std::to_string(error);
}

transfer::TransferFault faultOfInternetError(std::uint32_t error) {
    switch (error) {
        case ERROR_INTERNET_CONNECTION_RESET:
        case ERROR_INTERNET_CONNECTION_ABORTED:
            return transfer::TransferFault::kConnectionReset;
        case ERROR_INTERNET_TIMEOUT:
            return transfer::TransferFault::kCannotConnect;
        case ERROR_HTTP_INVALID_SERVER_RESPONSE:
            return transfer::TransferFault::kInvalidResponse;
        default:
            return transfer::TransferFault::kNetworkFailed;
    }
}

bool isCertificateError(std::uint32_t error) {
    const InternetErrorText* entry = find(error);
    return entry != nullptr && entry->certificate;
}

}  // namespace quibrant::win32
