#pragma once

// What the user reads, word for word, for each way a download can fail
// against the scriptable test server: the same table for every system, so
// that a failure reads alike on Linux and on Windows.

#include <string>
#include <vector>

namespace quibrant::test {

// Where a failing download is sent.
enum class FailingServer {
    kTrusted,      // the scriptable server, trusted
    kClosed,       // a port where nothing listens
    kUnknownHost,  // a name no resolver knows
    kUntrusted,    // a certificate from an authority nobody trusts
    kOtherHost,    // a trusted certificate for another host
    kExpired,      // a trusted certificate that has expired
};

inline constexpr const char* kUnknownHost = "no-existe.invalid";

// How a system words what only it can tell.
struct ReportingSystem {
    // How the addresses name the test servers.
    std::string host;
    // Whether the component tells a refused connection from one that could
    // not be made (WinINet reports both as one error).
    bool tellsRefusal;
    // Whether the component tells the certificate's fault from a failed
    // secure handshake.
    bool tellsCertificateFaults;
    // Whether the component tells a server that closed the connection in
    // order from one that was cut off.
    bool tellsOrderlyClose;
    // Whether the texts carry the component's error number for support.
    bool errorNumbers;
};

struct FailureReport {
    FailingServer server;
    std::string path;
    std::string text;
};

inline std::vector<FailureReport> failureReports(const ReportingSystem& system) {
    const std::string host = "«" + system.host + "»";
    const auto error = [&](int number) {
        return system.errorNumbers ? " (error " + std::to_string(number) + ")" : std::string();
    };
    const std::string safety = ". Por seguridad no se descargó nada.";
    const auto certificate = [&](const std::string& what, int number, const std::string& advice) {
        if (!system.tellsCertificateFaults) {
            return "No se pudo establecer una conexión segura con el servidor " + host +
                   error(number) + ". Vuelva a intentarlo más tarde.";
        }
        return "El certificado del servidor " + host + what + error(number) + advice;
    };
    return {
        {FailingServer::kClosed, "/ok/10",
         system.tellsRefusal
             ? "El servidor " + host + " rechazó la conexión. Vuelva a intentarlo más tarde."
             : "No se pudo conectar con el servidor " + host + error(12029) +
                   ". Compruebe la conexión a Internet y vuelva a intentarlo."},
        {FailingServer::kUnknownHost, "/ok/10",
         std::string("No se encontró el servidor «") + kUnknownHost + "»" + error(12007) +
             ". Compruebe la conexión a Internet y vuelva a intentarlo."},
        {FailingServer::kUntrusted, "/ok/10",
         certificate(" no lo emitió una autoridad de confianza", 12057, safety)},
        {FailingServer::kOtherHost, "/ok/10",
         certificate(" pertenece a otro servidor", 12038, safety)},
        {FailingServer::kExpired, "/ok/10",
         certificate(" está caducado o aún no es válido", 12037,
                     ". Compruebe que la fecha y la hora del equipo son correctas y vuelva a "
                     "intentarlo.")},
        {FailingServer::kTrusted, "/close",
         system.tellsOrderlyClose
             ? "El servidor " + host + " cerró la conexión sin responder" + error(12152) +
                   ". Vuelva a intentarlo más tarde."
             : "La conexión con el servidor " + host +
                   " se cortó de golpe. Compruebe la conexión a Internet y vuelva a intentarlo."},
        {FailingServer::kTrusted, "/redirect-http/3000",
         "El servidor redirigió la descarga a una dirección sin HTTPS (respuesta 302). Por "
         "seguridad no se siguió y no se descargó nada."},
        {FailingServer::kTrusted, "/redirect-loop",
         "El servidor redirigió la descarga demasiadas veces (respuesta 302). No se pudo llegar "
         "al archivo; consulte con su proveedor."},
        {FailingServer::kTrusted, "/status/404",
         "El servidor respondió 404: el instalador no está en el servidor. Consulte con su "
         "proveedor."},
        {FailingServer::kTrusted, "/status/401",
         "El servidor respondió 401: no permitió el acceso al instalador. Consulte con su "
         "proveedor."},
        {FailingServer::kTrusted, "/status/500",
         "El servidor respondió 500: falló al enviar el instalador. Vuelva a intentarlo más "
         "tarde."},
        {FailingServer::kTrusted, "/reset/300000/100000",
         "La descarga se interrumpió: la conexión con el servidor se cortó de golpe; se "
         "recibieron 100000 de 300000 bytes" +
             error(12030) + "."},
        {FailingServer::kTrusted, "/short/5000/2000",
         std::string("La descarga se interrumpió: ") +
             (system.tellsOrderlyClose ? "el servidor cerró la conexión antes de terminar"
                                       : "la conexión con el servidor se cortó de golpe") +
             "; se recibieron 2000 de 5000 bytes."},
    };
}

}  // namespace quibrant::test
