#include "posix/PosixFailure.h"

#include <cerrno>

#include "platform/ServiceFailures.h"

namespace quibrant::posix {

namespace {

namespace errors = platform::errors;

constexpr platform::failures::SystemError<int> kSystemErrors[] = {
    {EACCES, errors::kPermissionDenied, "Permiso denegado"},
    {EPERM, errors::kPermissionDenied, "Operación no permitida"},
    {EROFS, errors::kPermissionDenied, "El sistema de archivos es de solo lectura"},
    {ENOENT, errors::kPathNotFound, "No existe el archivo o la carpeta"},
    {ENOTDIR, errors::kPathNotFound, "Una parte de la ruta no es una carpeta"},
    {EEXIST, errors::kFileAlreadyExists, "Ya existe"},
    {EISDIR, errors::kPathFileAccessError, "Es una carpeta"},
    {ENOTEMPTY, errors::kPathFileAccessError, "La carpeta no está vacía"},
    {ENOSPC, errors::kDiskFull, "No queda espacio en el disco"},
    {EDQUOT, errors::kDiskFull, "Se superó la cuota de disco"},
    {EIO, errors::kDeviceIo, "Error de entrada/salida del dispositivo"},
    {EMFILE, errors::kTooManyFiles, "Demasiados archivos abiertos"},
    {ENFILE, errors::kTooManyFiles, "Demasiados archivos abiertos en el sistema"},
    {ENAMETOOLONG, errors::kBadFileNameOrNumber, "El nombre es demasiado largo"},
    {ELOOP, errors::kPathNotFound, "Demasiados enlaces simbólicos en la ruta"},
    {ENOEXEC, errors::kInvalidProcedureCall, "No es un programa que se pueda ejecutar"},
    {ETXTBSY, errors::kPathFileAccessError, "El archivo está en uso"},
    {EXDEV, errors::kPathFileAccessError, "No se puede mover entre sistemas de archivos"},
    {ENOMEM, errors::kOutOfMemory, "Memoria insuficiente"},
    {EAGAIN, errors::kPathFileAccessError, "El recurso no está disponible por ahora"},
};

std::string describeSystemError(int error) {
    return platform::failures::systemErrorReason(kSystemErrors, error);
}

}  // namespace

platform::Failure systemFailure(int error, const std::string& what, const std::string& path) {
    return platform::failures::describedFailure(
        platform::failures::systemErrorNumber(kSystemErrors, error), what, path,
        describeSystemError(error));
}

platform::Failure fileFailure(int error, const std::string& what, const std::string& path) {
    if (error == ENOENT) {
        return platform::failures::describedFailure(errors::kFileNotFound, what, path,
                                                    describeSystemError(error));
    }
    return systemFailure(error, what, path);
}

}  // namespace quibrant::posix
