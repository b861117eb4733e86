#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Failure.h"

namespace quibrant::platform::failures {

// Why the system refused an operation, in the program's own terms: each
// system maps its error codes (errno, GetLastError) to one of these, and each
// is worded once, with the program's number for it, so that a failure reads
// alike on Linux and on Windows.
enum class SystemReason {
    kPermissionDenied,
    kNotPermitted,
    kReadOnlyFileSystem,
    kWriteProtected,
    kInUse,
    kInUseByAnotherProgram,
    kLockedByAnotherProgram,
    kNeedsAdministrator,
    kCancelledByUser,
    kNoSuchEntry,
    kFileNotFound,
    kPathNotFound,
    kNetworkPathNotFound,
    kNetworkResourceNotFound,
    kNotAFolderOnTheWay,
    kTooManyLinks,
    kAlreadyExists,
    kIsAFolder,
    kFolderNotEmpty,
    kOtherFileSystem,
    kOtherDrive,
    kNoSuchDrive,
    kDriveNotReady,
    kDiskFull,
    kQuotaExceeded,
    kDeviceIo,
    kDataError,
    kDeviceFailed,
    kTooManyOpenFiles,
    kTooManyOpenFilesInSystem,
    kNameTooLong,
    kInvalidName,
    kInvalidFolderName,
    kNotAProgram,
    kNoAssociatedProgram,
    kOutOfMemory,
    kTryLater,
    // Not a reason: how many there are.
    kCount,
};

struct ReasonText {
    SystemReason reason;
    std::int32_t number;
    const char* text;
};

// In the order of the reasons, one row each.
inline constexpr ReasonText kReasonTexts[] = {
    {SystemReason::kPermissionDenied, errors::kPermissionDenied, "Permiso denegado"},
    {SystemReason::kNotPermitted, errors::kPermissionDenied, "Operación no permitida"},
    {SystemReason::kReadOnlyFileSystem, errors::kPermissionDenied,
     "El sistema de archivos es de solo lectura"},
    {SystemReason::kWriteProtected, errors::kPermissionDenied,
     "El disco está protegido contra escritura"},
    {SystemReason::kInUse, errors::kPathFileAccessError, "El archivo está en uso"},
    {SystemReason::kInUseByAnotherProgram, errors::kPermissionDenied,
     "El archivo está en uso por otro programa"},
    {SystemReason::kLockedByAnotherProgram, errors::kPermissionDenied,
     "Otro programa tiene bloqueada una parte del archivo"},
    {SystemReason::kNeedsAdministrator, errors::kPermissionDenied,
     "La operación requiere permisos de administrador"},
    {SystemReason::kCancelledByUser, errors::kPermissionDenied, "El usuario canceló la operación"},
    {SystemReason::kNoSuchEntry, errors::kPathNotFound, "No existe el archivo o la carpeta"},
    {SystemReason::kFileNotFound, errors::kFileNotFound, "No se encuentra el archivo"},
    {SystemReason::kPathNotFound, errors::kPathNotFound, "No se encuentra la ruta"},
    {SystemReason::kNetworkPathNotFound, errors::kPathNotFound, "No se encuentra la ruta de red"},
    {SystemReason::kNetworkResourceNotFound, errors::kPathNotFound,
     "No se encuentra el recurso de red"},
    {SystemReason::kNotAFolderOnTheWay, errors::kPathNotFound,
     "Una parte de la ruta no es una carpeta"},
    {SystemReason::kTooManyLinks, errors::kPathNotFound,
     "Demasiados enlaces simbólicos en la ruta"},
    {SystemReason::kAlreadyExists, errors::kFileAlreadyExists, "Ya existe"},
    {SystemReason::kIsAFolder, errors::kPathFileAccessError, "Es una carpeta"},
    {SystemReason::kFolderNotEmpty, errors::kPathFileAccessError, "La carpeta no está vacía"},
    {SystemReason::kOtherFileSystem, errors::kPathFileAccessError,
     "No se puede mover entre sistemas de archivos"},
    {SystemReason::kOtherDrive, errors::kPathFileAccessError, "No se puede mover a otra unidad"},
    {SystemReason::kNoSuchDrive, errors::kDeviceUnavailable, "No existe la unidad"},
    {SystemReason::kDriveNotReady, errors::kDiskNotReady, "La unidad no está preparada"},
    {SystemReason::kDiskFull, errors::kDiskFull, "No queda espacio en el disco"},
    {SystemReason::kQuotaExceeded, errors::kDiskFull, "Se superó la cuota de disco"},
    {SystemReason::kDeviceIo, errors::kDeviceIo, "Error de entrada/salida del dispositivo"},
    {SystemReason::kDataError, errors::kDeviceIo, "Error de datos en el dispositivo"},
    {SystemReason::kDeviceFailed, errors::kDeviceIo, "El dispositivo no funciona"},
    {SystemReason::kTooManyOpenFiles, errors::kTooManyFiles, "Demasiados archivos abiertos"},
    {SystemReason::kTooManyOpenFilesInSystem, errors::kTooManyFiles,
     "Demasiados archivos abiertos en el sistema"},
    {SystemReason::kNameTooLong, errors::kBadFileNameOrNumber, "El nombre es demasiado largo"},
    {SystemReason::kInvalidName, errors::kBadFileNameOrNumber,
     "El nombre del archivo o de la carpeta no es válido"},
    {SystemReason::kInvalidFolderName, errors::kBadFileNameOrNumber,
     "El nombre de carpeta no es válido"},
    {SystemReason::kNotAProgram, errors::kInvalidProcedureCall,
     "No es un programa que se pueda ejecutar"},
    {SystemReason::kNoAssociatedProgram, errors::kInvalidProcedureCall,
     "Ningún programa está asociado a este tipo de archivo"},
    {SystemReason::kOutOfMemory, errors::kOutOfMemory, "Memoria insuficiente"},
    {SystemReason::kTryLater, errors::kPathFileAccessError,
     "El recurso no está disponible por ahora"},
};

// A reason added without its row, or rows out of order, do not build.
constexpr bool everyReasonHasItsRow() {
    if (std::size(kReasonTexts) != static_cast<std::size_t>(SystemReason::kCount)) {
        return false;
    }
    for (std::size_t i = 0; i < std::size(kReasonTexts); ++i) {
        if (static_cast<std::size_t>(kReasonTexts[i].reason) != i) {
            return false;
        }
    }
    return true;
}
static_assert(everyReasonHasItsRow(), "every system reason needs its row, in order");

constexpr const ReasonText& textOf(SystemReason reason) {
    return kReasonTexts[static_cast<std::size_t>(reason)];
}

}  // namespace quibrant::platform::failures
