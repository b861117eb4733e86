#pragma once

namespace quibrant::texts {

// What the form shows the user: its window's caption and the message boxes
// of its operations, each with its box's title ("" for none).

inline constexpr const char* kWindowCaption =
    " Descargar Instalación / Actualización Quibrant Visual";

inline constexpr const char* kCodeRequired = "Debe introducir una CONTRASEÑA válida.";
inline constexpr const char* kCodeRequiredTitle = "CONTRASEÑA";
inline constexpr const char* kDownloaded = "Archivo descargado correctamente";
inline constexpr const char* kTooManyNotifications =
    "La conexión envió demasiados avisos de estado; la descarga se detuvo.";
inline constexpr const char* kTimeOut = "La conexión a Internet no responde. Aplicación Cancelada";
inline constexpr const char* kTimeOutTitle = "ERROR TIME OUT";
// Shown when the system would not start the installer from the program.
inline constexpr const char* kElevationNotice =
    "Debido a la siguridad de Cuentas de Usuario, la INSTALACION debe finalizarse atraves del "
    "acceso directo creado en su escritorio.";
inline constexpr const char* kElevationNoticeTitle = "ATENCION";

}  // namespace quibrant::texts
