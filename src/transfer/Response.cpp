#include "transfer/Response.h"

#include <limits>
#include <string>

#include "platform/Failure.h"
#include "platform/Text.h"
#include "transfer/TransferFailures.h"

namespace quibrant::transfer {

namespace {

// "El servidor respondió 404: " and what that status means to the user. The
// server's own reason phrase is never shown: it is English, and it is the
// server's to choose.
constexpr const char* kStatusPrefix = "El servidor respondió ";
constexpr const char* kNotOnServer =
    ": el instalador no está en el servidor. Consulte con su proveedor.";
constexpr const char* kAccessRefused =
    ": no permitió el acceso al instalador. Consulte con su proveedor.";
constexpr const char* kRequestRefused =
    ": rechazó la petición de descarga. Consulte con su proveedor.";
constexpr const char* kServerFailed =
    ": falló al enviar el instalador. Vuelva a intentarlo más tarde.";
constexpr const char* kRedirectNowhere =
    ": el archivo se movió y no se indicó adónde. Consulte con su proveedor.";
constexpr const char* kUnexpectedStatus =
    ": una respuesta que el programa no esperaba. Vuelva a intentarlo más tarde.";
constexpr const char* kNoStatus = "El servidor no envió una respuesta válida.";
constexpr const char* kNoContentLength = "El servidor no indicó el tamaño del archivo.";
constexpr const char* kBadContentLengthPrefix =
    "El servidor indicó un tamaño de archivo no válido: \"";
constexpr const char* kTooLargePrefix = "El archivo es demasiado grande: el servidor anunció ";
constexpr const char* kTooLargeSuffix = " bytes y el máximo es 2147483647.";
constexpr const char* kEmptyBody = "El servidor anunció un archivo vacío (0 bytes).";
constexpr const char* kLongBodyPrefix =
    "El servidor envió más datos de los anunciados: se esperaban ";

constexpr std::size_t kHeaderLimit = 40;
constexpr std::int64_t kLargestLength = std::numeric_limits<std::int32_t>::max();

}  // namespace

std::string printableExcerpt(const std::string& text, std::size_t limit) {
    std::string shown;
    for (const char c : text) {
        if (shown.size() == limit) {
            shown += "...";
            break;
        }
        const auto byte = static_cast<unsigned char>(c);
        shown += (byte < 0x20 || byte >= 0x7F) ? '?' : c;
    }
    return shown;
}

namespace {

// Whether a "Location" leads away from HTTPS: an absolute address with any
// other scheme. A relative one keeps the request's own.
bool leavesHttps(const std::string& location) {
    const std::size_t colon = location.find(':');
    if (colon == std::string::npos || location.find('/') < colon) {
        return false;
    }
    std::string scheme = location.substr(0, colon);
    for (char& c : scheme) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return scheme != "https";
}

const char* statusMeaning(int code) {
    if (code == 404 || code == 410) {
        return kNotOnServer;
    }
    if (code == 401 || code == 403) {
        return kAccessRefused;
    }
    if (code >= 400 && code <= 499) {
        return kRequestRefused;
    }
    if (code >= 500 && code <= 599) {
        return kServerFailed;
    }
    if (code >= 300 && code <= 399) {
        return kRedirectNowhere;
    }
    return kUnexpectedStatus;
}

}  // namespace

void checkStatus(int code, const std::string& location) {
    if (code >= 200 && code <= 299) {
        return;
    }
    if (code <= 0) {
        throw platform::Failure(platform::errors::kTransferFailed, kNoStatus);
    }
    // A redirect that reaches us was not followed: the component refused it
    // (away from HTTPS) or gave up after too many.
    const std::string target = platform::trimBlanks(location);
    if (code >= 300 && code <= 399 && !target.empty()) {
        throw transferFailure(leavesHttps(target) ? TransferFault::kInsecureRedirect
                                                  : TransferFault::kTooManyRedirects,
                              "", answerDetail(code));
    }
    throw platform::Failure(platform::errors::kTransferFailed,
                            kStatusPrefix + std::to_string(code) + statusMeaning(code));
}

std::int32_t parseContentLength(const std::string& header) {
    const std::string digits = platform::trimBlanks(header);
    if (digits.empty()) {
        throw platform::Failure(platform::errors::kTypeMismatch, kNoContentLength);
    }

    // Accumulates with a ceiling, so a long run of digits cannot overflow.
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            throw platform::Failure(
                platform::errors::kTypeMismatch,
                kBadContentLengthPrefix + printableExcerpt(digits, kHeaderLimit) + "\".");
        }
        value = value * 10 + (c - '0');
        if (value > kLargestLength) {
            value = kLargestLength + 1;
        }
    }
    if (value > kLargestLength) {
        throw platform::Failure(
            platform::errors::kOverflow,
            kTooLargePrefix + printableExcerpt(digits, kHeaderLimit) + kTooLargeSuffix);
    }
    if (value < 1) {
        throw platform::Failure(platform::errors::kInvalidPropertyValue, kEmptyBody);
    }
    return static_cast<std::int32_t>(value);
}

void checkBodyLength(std::int64_t received, std::int32_t announced, bool ended) {
    if (received > announced) {
        throw platform::Failure(platform::errors::kTransferFailed,
                                kLongBodyPrefix + std::to_string(announced) + " bytes.");
    }
    // The body ended cleanly, only too early: the server closed the connection.
    if (ended && received < announced) {
        throw brokenBody(TransferFault::kConnectionClosed, {received, std::to_string(announced)},
                         "");
    }
}

}  // namespace quibrant::transfer
