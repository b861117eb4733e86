#include "posix/PosixFailure.h"

#include <cerrno>
#include <cstdint>

namespace quibrant::posix {

namespace {

// Numbers the program already uses for the same kinds of failure, so a message
// reads alike whichever service raised it.
constexpr std::int32_t kFileAlreadyExists = 58;
constexpr std::int32_t kTooManyFiles = 67;
constexpr std::int32_t kPathFileAccessError = 75;
constexpr std::int32_t kInvalidProcedureCall = 5;

struct ErrorText {
    int error;
    std::int32_t number;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {EACCES, platform::errors::kPermissionDenied, "Permiso denegado"},
    {EPERM, platform::errors::kPermissionDenied, "Operación no permitida"},
    {EROFS, platform::errors::kPermissionDenied, "El sistema de archivos es de solo lectura"},
    {ENOENT, platform::errors::kPathNotFound, "No existe el archivo o la carpeta"},
    {ENOTDIR, platform::errors::kPathNotFound, "Una parte de la ruta no es una carpeta"},
    {EEXIST, kFileAlreadyExists, "Ya existe"},
    {EISDIR, kPathFileAccessError, "Es una carpeta"},
    {ENOTEMPTY, kPathFileAccessError, "La carpeta no está vacía"},
    {ENOSPC, platform::errors::kDiskFull, "No queda espacio en el disco"},
    {EDQUOT, platform::errors::kDiskFull, "Se superó la cuota de disco"},
    {EIO, platform::errors::kDeviceIo, "Error de entrada/salida del dispositivo"},
    {EMFILE, kTooManyFiles, "Demasiados archivos abiertos"},
    {ENFILE, kTooManyFiles, "Demasiados archivos abiertos en el sistema"},
    {ENAMETOOLONG, platform::errors::kBadFileNameOrNumber, "El nombre es demasiado largo"},
    {ELOOP, platform::errors::kPathNotFound, "Demasiados enlaces simbólicos en la ruta"},
    {ENOEXEC, kInvalidProcedureCall, "No es un programa que se pueda ejecutar"},
    {ETXTBSY, kPathFileAccessError, "El archivo está en uso"},
    {EXDEV, kPathFileAccessError, "No se puede mover entre sistemas de archivos"},
    {ENOMEM, platform::errors::kOverflow, "Memoria insuficiente"},
    {EAGAIN, kPathFileAccessError, "El recurso no está disponible por ahora"},
};

}  // namespace

std::string describeSystemError(int error) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.error == error) {
            return entry.text;
        }
    }
    return "Error del sistema " + std::to_string(error);
}

platform::Failure systemFailure(int error, const std::string& what, const std::string& path) {
    std::int32_t number = kPathFileAccessError;
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.error == error) {
            number = entry.number;
            break;
        }
    }
    return platform::Failure(number, what + ": " + path + " (" + describeSystemError(error) + ")");
}

platform::Failure fileFailure(int error, const std::string& what, const std::string& path) {
    if (error == ENOENT) {
        return platform::Failure(platform::errors::kFileNotFound,
                                 what + ": " + path + " (" + describeSystemError(error) + ")");
    }
    return systemFailure(error, what, path);
}

}  // namespace quibrant::posix
