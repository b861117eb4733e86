#include "transfer/TransferFailures.h"

#include <algorithm>
#include <iterator>

namespace quibrant::transfer {

namespace {

constexpr const char* kUnsupportedOperation =
    "El componente de transferencia no admite la operación ";
constexpr const char* kInvalidAddress = "La dirección de descarga no es válida: ";
constexpr const char* kNoRequest = "No hay ninguna descarga en curso.";
constexpr const char* kCancelled = "La descarga se canceló.";
constexpr const char* kStalledStart = "La descarga se detuvo: el servidor no envió datos durante ";
constexpr const char* kStalledSeconds = " segundos";
constexpr const char* kInterrupted = "La descarga se interrumpió: ";
constexpr const char* kReceived = "se recibieron ";
constexpr const char* kOf = " de ";
constexpr const char* kBytes = " bytes";
constexpr const char* kAnswerDetail = "respuesta ";
constexpr const char* kErrorDetail = "error ";

// Longer runs of digits are not a length anyone can read out anyway.
constexpr std::size_t kMostLengthDigits = 18;

// "se recibieron 2000 de 5000 bytes"; without " de ..." when the announced
// length is absent or not a plain number.
std::string receivedSoFar(const BodyProgress& progress) {
    std::string text = kReceived + std::to_string(progress.received);
    const std::string& announced = progress.announced;
    const std::size_t begin = announced.find_first_not_of(" \t");
    const std::size_t end = announced.find_last_not_of(" \t");
    if (begin != std::string::npos && end - begin < kMostLengthDigits &&
        std::all_of(announced.begin() + begin, announced.begin() + end + 1,
                    [](char c) { return c >= '0' && c <= '9'; })) {
        text += kOf + announced.substr(begin, end - begin + 1);
    }
    return text + kBytes;
}

// What the user reads for a connection that failed. Before any answer: what
// happened, around the server's name ("El servidor «h» rechazó la conexión"),
// then what the user can do. Once the body had started, `cause` goes within
// "La descarga se interrumpió: ...".
struct ConnectionText {
    TransferFault fault;
    const char* before;
    const char* after;
    const char* advice;
    const char* cause;
};

constexpr const char* kCheckConnection = "Compruebe la conexión a Internet y vuelva a intentarlo.";
constexpr const char* kTryLater = "Vuelva a intentarlo más tarde.";
constexpr const char* kNothingDownloaded = "Por seguridad no se descargó nada.";

constexpr ConnectionText kConnectionTexts[] = {
    {TransferFault::kHostNotFound, "No se encontró el servidor", "", kCheckConnection,
     "no se encontró el servidor"},
    {TransferFault::kConnectionRefused, "El servidor", " rechazó la conexión", kTryLater,
     "el servidor rechazó la conexión"},
    {TransferFault::kCannotConnect, "No se pudo conectar con el servidor", "", kCheckConnection,
     "no se pudo conectar con el servidor"},
    {TransferFault::kCertificateUntrusted, "El certificado del servidor",
     " no lo emitió una autoridad de confianza", kNothingDownloaded,
     "el certificado del servidor no lo emitió una autoridad de confianza"},
    {TransferFault::kCertificateDate, "El certificado del servidor",
     " está caducado o aún no es válido",
     "Compruebe que la fecha y la hora del equipo son correctas y vuelva a intentarlo.",
     "el certificado del servidor está caducado o aún no es válido"},
    {TransferFault::kCertificateWrongHost, "El certificado del servidor",
     " pertenece a otro servidor", kNothingDownloaded,
     "el certificado del servidor pertenece a otro servidor"},
    {TransferFault::kCertificateInvalid, "El certificado del servidor", " no es válido",
     kNothingDownloaded, "el certificado del servidor no es válido"},
    {TransferFault::kSecureChannelFailed,
     "No se pudo establecer una conexión segura con el servidor", "", kTryLater,
     "falló la conexión segura con el servidor"},
    {TransferFault::kProxyFailed, "El servidor proxy no permitió la conexión con el servidor", "",
     "Compruebe la configuración del proxy del equipo.", "el servidor proxy cortó la conexión"},
    {TransferFault::kInsecureRedirect, "El servidor",
     " redirigió la descarga a una dirección sin HTTPS",
     "Por seguridad no se siguió y no se descargó nada.",
     "el servidor redirigió la descarga a una dirección sin HTTPS"},
    {TransferFault::kTooManyRedirects, "El servidor", " redirigió la descarga demasiadas veces",
     "No se pudo llegar al archivo; consulte con su proveedor.",
     "el servidor redirigió la descarga demasiadas veces"},
    {TransferFault::kInvalidResponse, "El servidor", " envió una respuesta no válida", kTryLater,
     "el servidor envió una respuesta no válida"},
    {TransferFault::kTimedOut, "El servidor", " no respondió a tiempo", kCheckConnection,
     "el servidor dejó de responder"},
    // A reset is the connection torn down mid-way (a network fault, a
    // firewall); a close is the server ending it on purpose, too early.
    {TransferFault::kConnectionReset, "La conexión con el servidor", " se cortó de golpe",
     kCheckConnection, "la conexión con el servidor se cortó de golpe"},
    {TransferFault::kConnectionClosed, "El servidor", " cerró la conexión sin responder", kTryLater,
     "el servidor cerró la conexión antes de terminar"},
    {TransferFault::kChangedOnServer, "El archivo", " cambió en el servidor durante la descarga",
     "Vuelva a intentarlo.", "el archivo cambió en el servidor mientras se descargaba"},
    {TransferFault::kNetworkFailed, "Falló la conexión con el servidor", "", kCheckConnection,
     "falló la red"},
};

// Every fault met on the way to an answer or during the body has words of its
// own: a fault added without them does not build.
constexpr bool everyConnectionFaultHasText() {
    for (int fault = static_cast<int>(TransferFault::kHostNotFound);
         fault < static_cast<int>(TransferFault::kCount); ++fault) {
        bool found = false;
        for (const ConnectionText& text : kConnectionTexts) {
            found = found || static_cast<int>(text.fault) == fault;
        }
        if (!found) {
            return false;
        }
    }
    return true;
}
static_assert(everyConnectionFaultHasText(), "a transfer fault has no text");

const ConnectionText& connectionText(TransferFault fault) {
    for (const ConnectionText& text : kConnectionTexts) {
        if (text.fault == fault) {
            return text;
        }
    }
    // Only the faults the caller itself causes (an operation, an address, a
    // missing request, a cancel) have no row; they are worded apart.
    return kConnectionTexts[0];
}

}  // namespace

platform::Failure transferFailure(TransferFault fault, const std::string& subject,
                                  const std::string& detail) {
    switch (fault) {
        case TransferFault::kUnsupportedOperation:
            return platform::Failure(platform::errors::kInvalidPropertyValue,
                                     kUnsupportedOperation + subject + ".");
        case TransferFault::kInvalidAddress:
            return platform::Failure(platform::errors::kTransferFailed,
                                     kInvalidAddress + std::string("«") + subject + "».");
        case TransferFault::kNoRequest:
            return platform::Failure(platform::errors::kTransferFailed, kNoRequest);
        case TransferFault::kCancelled:
            return platform::Failure(platform::errors::kTransferFailed, kCancelled);
        default:
            break;
    }
    const ConnectionText& text = connectionText(fault);
    std::string description = text.before;
    if (!subject.empty()) {
        description += " «" + subject + "»";
    }
    description += text.after;
    if (!detail.empty()) {
        description += " (" + detail + ")";
    }
    return platform::Failure(platform::errors::kTransferFailed, description + ". " + text.advice);
}

std::string answerDetail(int status) {
    return kAnswerDetail + std::to_string(status);
}

std::string errorDetail(unsigned long number) {
    return kErrorDetail + std::to_string(number);
}

std::string faultCause(TransferFault fault) {
    return connectionText(fault).cause;
}

platform::Failure stalledBody(std::chrono::milliseconds limit, const BodyProgress& progress) {
    return platform::Failure(platform::errors::kTransferFailed,
                             kStalledStart + std::to_string(limit.count() / 1000) +
                                 kStalledSeconds + "; " + receivedSoFar(progress) + ".");
}

platform::Failure brokenBody(TransferFault cause, const BodyProgress& progress,
                             const std::string& detail) {
    std::string description =
        kInterrupted + std::string(connectionText(cause).cause) + "; " + receivedSoFar(progress);
    if (!detail.empty()) {
        description += " (" + detail + ")";
    }
    return platform::Failure(platform::errors::kTransferFailed, description + ".");
}

}  // namespace quibrant::transfer
