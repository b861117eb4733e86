// Every text the program shows, word for word, in one place: each produced the
// way the program produces it (a named constant, or a wording function with
// sample arguments) against the exact Spanish string. Other tests compare
// with the program's own constants and wording functions, so rewording a
// message means changing its source and its row here, and nothing else.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/FormLayout.h"
#include "app/FormTexts.h"
#include "install/Launch.h"
#include "install/Shortcut.h"
#include "install/Signature.h"
#include "platform/ServiceFailures.h"
#include "support/FailureNumber.h"
#include "support/FakeControls.h"
#include "support/FakeInternetTransfer.h"
#include "support/FakeServices.h"
#include "transfer/Download.h"
#include "transfer/ProgressBar.h"
#include "transfer/ProgressText.h"
#include "transfer/Response.h"
#include "transfer/TransferFailures.h"

namespace quibrant::test {
namespace {

struct Text {
    std::string produced;
    std::string expected;
};

void expectTexts(const std::vector<Text>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].produced, rows[i].expected) << "row " << i;
    }
}

std::string caption(const char* control) {
    const ControlDef* def = formControl(control);
    return def != nullptr ? def->caption : "(no such control)";
}

TEST(TextsTest, TheWindowAndItsMessageBoxes) {
    expectTexts({
        {texts::kWindowCaption, " Descargar Instalación / Actualización Quibrant Visual"},
        {texts::kCodeRequired, "Debe introducir una CONTRASEÑA válida."},
        {texts::kCodeRequiredTitle, "CONTRASEÑA"},
        {texts::kDownloaded, "Archivo descargado correctamente"},
        {texts::kTooManyNotifications,
         "La conexión envió demasiados avisos de estado; la descarga se detuvo."},
        {texts::kTimeOut, "La conexión a Internet no responde. Aplicación Cancelada"},
        {texts::kTimeOutTitle, "ERROR TIME OUT"},
        {texts::kElevationNotice,
         "Debido a la siguridad de Cuentas de Usuario, la INSTALACION debe finalizarse atraves "
         "del acceso directo creado en su escritorio."},
        {texts::kElevationNoticeTitle, "ATENCION"},
        {caption("Frame1"), "Pravelda"},
        {caption("Label2"), "Stat"},
        {caption("Label1_2"), "Carpeta Origen"},
        {caption("Label1_0"), "Fichero Origen"},
        {caption("Label1_1"), "Fichero Destino"},
        {caption("Label1_3"), "Contraseña"},
        {caption("Option1_0"), "Servidor-1"},
        {caption("Option1_1"), "Servidor-2"},
        {caption("Command1"), "Descargar e Instalar"},
        {caption("Command2"), "Solo Descargar"},
        {caption("Command3"), "  Solo   Instalar"},
        {caption("Picture2_0"), "Cambiar la carpeta de destino"},
        {caption("Picture1_0"), "Mostrar u ocultar la contraseña"},
        {caption("Picture1_1"), "Mostrar u ocultar la contraseña"},
        {caption("ProgressBar1"), "Progreso de la descarga"},
        {kFolderToolTip, "Carpeta fichero temporales."},
    });
}

TEST(TextsTest, TheServicesFailures) {
    namespace f = platform::failures;
    using platform::failures::SystemReason;
    const f::SystemError<int> codes[] = {{2, SystemReason::kFileNotFound}};
    expectTexts({
        {f::kCannotOpen, "No se pudo abrir el archivo"},
        {f::kCannotRead, "No se pudo leer el archivo"},
        {f::kNotAFile, "No es un archivo"},
        {f::kLineTooLong, "El archivo tiene una línea demasiado larga"},
        {f::kFileTooLarge, "El archivo es demasiado grande"},
        {f::kFileClosed, "El archivo ya está cerrado"},
        {f::kCannotCreateFolder, "No se pudo crear la carpeta"},
        {f::kCannotDelete, "No se pudo borrar el archivo"},
        {f::kReadOnly, "El archivo es de solo lectura"},
        {f::kCannotCreateFile, "No se pudo crear el archivo"},
        {f::kCannotSaveDestination, "No se puede guardar el archivo de destino"},
        {f::kDestinationIsFolder, "El destino indicado es una carpeta"},
        {f::kCannotWrite, "No se pudo escribir el archivo"},
        {f::kCannotReplace, "No se pudo reemplazar el archivo"},
        {f::kNoDrive, "La unidad no está disponible"},
        {f::kCannotEnterFolder, "No se pudo entrar en la carpeta"},
        {f::kNoProgram, "No se indicó ningún programa"},
        {f::kCannotStart, "No se pudo iniciar el programa"},
        {f::kCannotCreateObject, "No se puede crear el objeto"},
        {f::describedFailure(75, f::kCannotOpen, "/dl/a.exe", "Es una carpeta").description(),
         "No se pudo abrir el archivo: /dl/a.exe (Es una carpeta)"},
        {f::describedFailure(75, f::kCannotStart, "", "Ya existe").description(),
         "No se pudo iniciar el programa (Ya existe)"},
        {f::noDrive("q:").description(), "La unidad no está disponible: q:"},
        {f::systemErrorReason(codes, 4242), "Error del sistema 4242"},
    });
}

TEST(TextsTest, TheSystemsReasons) {
    using platform::failures::SystemReason;
    const auto text = [](SystemReason reason) {
        return std::string(platform::failures::textOf(reason).text);
    };
    expectTexts({
        {text(SystemReason::kPermissionDenied), "Permiso denegado"},
        {text(SystemReason::kNotPermitted), "Operación no permitida"},
        {text(SystemReason::kReadOnlyFileSystem), "El sistema de archivos es de solo lectura"},
        {text(SystemReason::kWriteProtected), "El disco está protegido contra escritura"},
        {text(SystemReason::kInUse), "El archivo está en uso"},
        {text(SystemReason::kInUseByAnotherProgram), "El archivo está en uso por otro programa"},
        {text(SystemReason::kLockedByAnotherProgram),
         "Otro programa tiene bloqueada una parte del archivo"},
        {text(SystemReason::kNeedsAdministrator),
         "La operación requiere permisos de administrador"},
        {text(SystemReason::kCancelledByUser), "El usuario canceló la operación"},
        {text(SystemReason::kNoSuchEntry), "No existe el archivo o la carpeta"},
        {text(SystemReason::kFileNotFound), "No se encuentra el archivo"},
        {text(SystemReason::kPathNotFound), "No se encuentra la ruta"},
        {text(SystemReason::kNetworkPathNotFound), "No se encuentra la ruta de red"},
        {text(SystemReason::kNetworkResourceNotFound), "No se encuentra el recurso de red"},
        {text(SystemReason::kNotAFolderOnTheWay), "Una parte de la ruta no es una carpeta"},
        {text(SystemReason::kTooManyLinks), "Demasiados enlaces simbólicos en la ruta"},
        {text(SystemReason::kAlreadyExists), "Ya existe"},
        {text(SystemReason::kIsAFolder), "Es una carpeta"},
        {text(SystemReason::kFolderNotEmpty), "La carpeta no está vacía"},
        {text(SystemReason::kOtherFileSystem), "No se puede mover entre sistemas de archivos"},
        {text(SystemReason::kOtherDrive), "No se puede mover a otra unidad"},
        {text(SystemReason::kNoSuchDrive), "No existe la unidad"},
        {text(SystemReason::kDriveNotReady), "La unidad no está preparada"},
        {text(SystemReason::kDiskFull), "No queda espacio en el disco"},
        {text(SystemReason::kQuotaExceeded), "Se superó la cuota de disco"},
        {text(SystemReason::kDeviceIo), "Error de entrada/salida del dispositivo"},
        {text(SystemReason::kDataError), "Error de datos en el dispositivo"},
        {text(SystemReason::kDeviceFailed), "El dispositivo no funciona"},
        {text(SystemReason::kTooManyOpenFiles), "Demasiados archivos abiertos"},
        {text(SystemReason::kTooManyOpenFilesInSystem),
         "Demasiados archivos abiertos en el sistema"},
        {text(SystemReason::kNameTooLong), "El nombre es demasiado largo"},
        {text(SystemReason::kInvalidName), "El nombre del archivo o de la carpeta no es válido"},
        {text(SystemReason::kInvalidFolderName), "El nombre de carpeta no es válido"},
        {text(SystemReason::kNotAProgram), "No es un programa que se pueda ejecutar"},
        {text(SystemReason::kNoAssociatedProgram),
         "Ningún programa está asociado a este tipo de archivo"},
        {text(SystemReason::kOutOfMemory), "Memoria insuficiente"},
        {text(SystemReason::kTryLater), "El recurso no está disponible por ahora"},
    });
}

// What a transfer component reports, for host "descargas.example".
TEST(TextsTest, TheTransfersFailures) {
    using transfer::TransferFault;
    const std::string host = "descargas.example";
    const auto failure = [&](TransferFault fault) {
        return transfer::transferFailure(fault, host).description();
    };
    const auto cause = [](TransferFault fault) { return transfer::faultCause(fault); };
    expectTexts({
        {transfer::transferFailure(TransferFault::kUnsupportedOperation, "POST").description(),
         "El componente de transferencia no admite la operación POST."},
        {transfer::transferFailure(TransferFault::kInvalidAddress, "ftp://x/q.exe").description(),
         "La dirección de descarga no es válida: «ftp://x/q.exe»."},
        {failure(TransferFault::kNoRequest), "No hay ninguna descarga en curso."},
        {failure(TransferFault::kCancelled), "La descarga se canceló."},
        {transfer::transferFailure(TransferFault::kHostNotFound, host, transfer::errorDetail(12007))
             .description(),
         "No se encontró el servidor «descargas.example» (error 12007). Compruebe la conexión a "
         "Internet y vuelva a intentarlo."},
        {failure(TransferFault::kConnectionRefused),
         "El servidor «descargas.example» rechazó la conexión. Vuelva a intentarlo más tarde."},
        {failure(TransferFault::kCannotConnect),
         "No se pudo conectar con el servidor «descargas.example». Compruebe la conexión a "
         "Internet y vuelva a intentarlo."},
        {failure(TransferFault::kCertificateUntrusted),
         "El certificado del servidor «descargas.example» no lo emitió una autoridad de "
         "confianza. Por seguridad no se descargó nada."},
        {failure(TransferFault::kCertificateDate),
         "El certificado del servidor «descargas.example» está caducado o aún no es válido. "
         "Compruebe que la fecha y la hora del equipo son correctas y vuelva a intentarlo."},
        {failure(TransferFault::kCertificateWrongHost),
         "El certificado del servidor «descargas.example» pertenece a otro servidor. Por "
         "seguridad no se descargó nada."},
        {failure(TransferFault::kCertificateInvalid),
         "El certificado del servidor «descargas.example» no es válido. Por seguridad no se "
         "descargó nada."},
        {failure(TransferFault::kSecureChannelFailed),
         "No se pudo establecer una conexión segura con el servidor «descargas.example». Vuelva "
         "a intentarlo más tarde."},
        {failure(TransferFault::kProxyFailed),
         "El servidor proxy no permitió la conexión con el servidor «descargas.example». "
         "Compruebe la configuración del proxy del equipo."},
        {failure(TransferFault::kInsecureRedirect),
         "El servidor «descargas.example» redirigió la descarga a una dirección sin HTTPS. Por "
         "seguridad no se siguió y no se descargó nada."},
        {failure(TransferFault::kTooManyRedirects),
         "El servidor «descargas.example» redirigió la descarga demasiadas veces. No se pudo "
         "llegar al archivo; consulte con su proveedor."},
        {failure(TransferFault::kInvalidResponse),
         "El servidor «descargas.example» envió una respuesta no válida. Vuelva a intentarlo más "
         "tarde."},
        {failure(TransferFault::kTimedOut),
         "El servidor «descargas.example» no respondió a tiempo. Compruebe la conexión a "
         "Internet y vuelva a intentarlo."},
        {failure(TransferFault::kNetworkFailed),
         "Falló la conexión con el servidor «descargas.example». Compruebe la conexión a "
         "Internet y vuelva a intentarlo."},
        {failure(TransferFault::kConnectionReset),
         "La conexión con el servidor «descargas.example» se cortó de golpe. Compruebe la "
         "conexión a Internet y vuelva a intentarlo."},
        {failure(TransferFault::kConnectionClosed),
         "El servidor «descargas.example» cerró la conexión sin responder. Vuelva a intentarlo "
         "más tarde."},
        {transfer::transferFailure(TransferFault::kChangedOnServer).description(),
         "El archivo cambió en el servidor durante la descarga. Vuelva a intentarlo."},
        // How each fault broke a body that had started.
        {cause(TransferFault::kHostNotFound), "no se encontró el servidor"},
        {cause(TransferFault::kConnectionRefused), "el servidor rechazó la conexión"},
        {cause(TransferFault::kCannotConnect), "no se pudo conectar con el servidor"},
        {cause(TransferFault::kCertificateUntrusted),
         "el certificado del servidor no lo emitió una autoridad de confianza"},
        {cause(TransferFault::kCertificateDate),
         "el certificado del servidor está caducado o aún no es válido"},
        {cause(TransferFault::kCertificateWrongHost),
         "el certificado del servidor pertenece a otro servidor"},
        {cause(TransferFault::kCertificateInvalid), "el certificado del servidor no es válido"},
        {cause(TransferFault::kSecureChannelFailed), "falló la conexión segura con el servidor"},
        {cause(TransferFault::kProxyFailed), "el servidor proxy cortó la conexión"},
        {cause(TransferFault::kInsecureRedirect),
         "el servidor redirigió la descarga a una dirección sin HTTPS"},
        {cause(TransferFault::kTooManyRedirects),
         "el servidor redirigió la descarga demasiadas veces"},
        {cause(TransferFault::kInvalidResponse), "el servidor envió una respuesta no válida"},
        {cause(TransferFault::kTimedOut), "el servidor dejó de responder"},
        {cause(TransferFault::kNetworkFailed), "falló la red"},
        {cause(TransferFault::kConnectionReset), "la conexión con el servidor se cortó de golpe"},
        {cause(TransferFault::kConnectionClosed),
         "el servidor cerró la conexión antes de terminar"},
        {cause(TransferFault::kChangedOnServer),
         "el archivo cambió en el servidor mientras se descargaba"},
        {transfer::answerDetail(206), "respuesta 206"},
        {transfer::errorDetail(12030), "error 12030"},
        {transfer::brokenBody(TransferFault::kConnectionReset, {100000, "300000"},
                              transfer::errorDetail(12030))
             .description(),
         "La descarga se interrumpió: la conexión con el servidor se cortó de golpe; se "
         "recibieron 100000 de 300000 bytes (error 12030)."},
        {transfer::brokenBody(TransferFault::kConnectionClosed, {2000, ""}, "").description(),
         "La descarga se interrumpió: el servidor cerró la conexión antes de terminar; se "
         "recibieron 2000 bytes."},
        {transfer::stalledBody(std::chrono::milliseconds(60000), {3000, "10000"}).description(),
         "La descarga se detuvo: el servidor no envió datos durante 60 segundos; se recibieron "
         "3000 de 10000 bytes."},
    });
}

// The checks of the server's answer, the progress shown and the download's own.
TEST(TextsTest, TheDownloadsChecksAndProgress) {
    using transfer::checkStatus;
    using transfer::parseContentLength;
    FakeProgressBarView view;
    transfer::ProgressBar bar(view);
    FakeInternetTransfer inet;
    FakeWindow window;
    FakeCaptioned frame;
    FakeFileSystem fs;
    transfer::Download download(inet, window, view, frame);
    std::string progress;
    transfer::formatProgressText(524288, 10485760, progress);
    expectTexts({
        {failureText([] { checkStatus(404, ""); }),
         "El servidor respondió 404: el instalador no está en el servidor. Consulte con su "
         "proveedor."},
        {failureText([] { checkStatus(401, ""); }),
         "El servidor respondió 401: no permitió el acceso al instalador. Consulte con su "
         "proveedor."},
        {failureText([] { checkStatus(429, ""); }),
         "El servidor respondió 429: rechazó la petición de descarga. Consulte con su proveedor."},
        {failureText([] { checkStatus(500, ""); }),
         "El servidor respondió 500: falló al enviar el instalador. Vuelva a intentarlo más "
         "tarde."},
        {failureText([] { checkStatus(304, ""); }),
         "El servidor respondió 304: el archivo se movió y no se indicó adónde. Consulte con su "
         "proveedor."},
        {failureText([] { checkStatus(101, ""); }),
         "El servidor respondió 101: una respuesta que el programa no esperaba. Vuelva a "
         "intentarlo más tarde."},
        {failureText([] { checkStatus(0, ""); }), "El servidor no envió una respuesta válida."},
        {failureText([] { checkStatus(302, "http://descargas.example/q.exe"); }),
         "El servidor redirigió la descarga a una dirección sin HTTPS (respuesta 302). Por "
         "seguridad no se siguió y no se descargó nada."},
        {failureText([] { parseContentLength(""); }),
         "El servidor no indicó el tamaño del archivo."},
        {failureText([] { parseContentLength("5k"); }),
         "El servidor indicó un tamaño de archivo no válido: \"5k\"."},
        {failureText([] { parseContentLength("3000000000"); }),
         "El archivo es demasiado grande: el servidor anunció 3000000000 bytes y el máximo es "
         "2147483647."},
        {failureText([] { parseContentLength("0"); }),
         "El servidor anunció un archivo vacío (0 bytes)."},
        {failureText([] { transfer::checkBodyLength(5000, 4999, false); }),
         "El servidor envió más datos de los anunciados: se esperaban 4999 bytes."},
        {failureText([&] { bar.setMax(0); }),
         "Valor de propiedad no válido: el máximo de la barra de progreso debe ser mayor que su "
         "mínimo."},
        {failureText([&] { bar.setValue(101); }),
         "Valor de propiedad no válido: el valor de la barra de progreso está fuera de su rango."},
        {failureText([&] { download.request("https://descargas.example/q.exe", "", fs); }),
         "No se indicó el archivo de destino."},
        {progress, "Descargados 512 de 10240 KBytes. (5%)"},
    });
}

TEST(TextsTest, TheInstallersRefusalsAndTheShortcut) {
    using install::Vetted;
    using platform::SignatureFault;
    const std::string path = "c:\\Descargas\\Quibrant_Setup.exe";
    const auto reason = [](SignatureFault fault, const std::string& signer = "") {
        return install::refusalReason(FakeSignatureCheck::report(fault, signer));
    };
    platform::SignatureReport coded = FakeSignatureCheck::report(SignatureFault::Unsigned);
    coded.systemCode = 0x800B0100;
    FakeSignatureCheck missing;
    missing.always = FakeSignatureCheck::report(SignatureFault::Missing);
    expectTexts({
        {install::refusalMessage(Vetted::Downloaded, path,
                                 FakeSignatureCheck::report(SignatureFault::Unsigned)),
         "El archivo descargado no lleva la firma digital de Quibrant S.L.: se ha eliminado y no "
         "se ha iniciado.\r\n\r\nMotivo: el archivo no está firmado."},
        {install::refusalMessage(Vetted::AtDestination, path,
                                 FakeSignatureCheck::report(SignatureFault::Tampered)),
         "El archivo c:\\Descargas\\Quibrant_Setup.exe no lleva la firma digital de Quibrant "
         "S.L. y no se ha iniciado.\r\n\r\nMotivo: el contenido fue modificado después de "
         "firmarlo."},
        {reason(SignatureFault::Missing), "el archivo no existe."},
        {reason(SignatureFault::Unreadable), "no se pudo leer el archivo."},
        {install::refusalReason(coded), "el archivo no está firmado (código 0x800B0100)."},
        {reason(SignatureFault::Malformed), "la firma o el programa están dañados."},
        {reason(SignatureFault::Untrusted),
         "el certificado no procede de una entidad de confianza."},
        {reason(SignatureFault::Expired),
         "el certificado no era válido cuando se firmó el archivo."},
        {reason(SignatureFault::ForeignSigner, "Otra Empresa S.A."),
         "está firmado por otra organización (Otra Empresa S.A.)."},
        {reason(SignatureFault::ForeignSigner), "está firmado por otra organización."},
        {reason(SignatureFault::WeakDigest), "la firma usa un algoritmo inseguro o no admitido."},
        {failureText(
             [&] { install::requireVendorSignature(missing, path, Vetted::AtDestination); }),
         "No se encuentra el archivo c:\\Descargas\\Quibrant_Setup.exe"},
        {install::replacedWhileCheckedMessage(path),
         "El archivo c:\\Descargas\\Quibrant_Setup.exe cambió mientras se comprobaba su firma "
         "digital y no se ha iniciado."},
        {install::shortcutFailureMessage(52),
         "Error: 52\r\n\r\nNo se pudo completar la operación de Acceso Directo."},
        {install::kDesktopShortcutName, "Instalar Actualización Quibrant 6"},
    });
}

}  // namespace
}  // namespace quibrant::test
