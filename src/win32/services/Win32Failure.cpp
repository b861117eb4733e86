#include "win32/services/Win32Failure.h"

#include <windows.h>

#include "platform/ServiceFailures.h"

namespace quibrant::win32 {
namespace {

namespace errors = platform::errors;

// Windows refuses to start a program that asks for administrator rights this
// way; mingw-w64's headers do not name the code.
constexpr DWORD kErrorElevationRequired = 740;

constexpr platform::failures::SystemError<DWORD> kSystemErrors[] = {
    {ERROR_FILE_NOT_FOUND, errors::kFileNotFound, "No se encuentra el archivo"},
    {ERROR_PATH_NOT_FOUND, errors::kPathNotFound, "No se encuentra la ruta"},
    {ERROR_BAD_NETPATH, errors::kPathNotFound, "No se encuentra la ruta de red"},
    {ERROR_BAD_NET_NAME, errors::kPathNotFound, "No se encuentra el recurso de red"},
    {ERROR_ACCESS_DENIED, errors::kPermissionDenied, "Acceso denegado"},
    {ERROR_SHARING_VIOLATION, errors::kPermissionDenied,
     "El archivo está en uso por otro programa"},
    {ERROR_LOCK_VIOLATION, errors::kPermissionDenied,
     "Otro programa tiene bloqueada una parte del archivo"},
    {ERROR_WRITE_PROTECT, errors::kPermissionDenied, "El disco está protegido contra escritura"},
    {kErrorElevationRequired, errors::kPermissionDenied,
     "La operación requiere permisos de administrador"},
    {ERROR_CANCELLED, errors::kPermissionDenied, "El usuario canceló la operación"},
    {ERROR_DISK_FULL, errors::kDiskFull, "No queda espacio en el disco"},
    {ERROR_HANDLE_DISK_FULL, errors::kDiskFull, "No queda espacio en el disco"},
    {ERROR_CRC, errors::kDeviceIo, "Error de datos en el dispositivo"},
    {ERROR_GEN_FAILURE, errors::kDeviceIo, "El dispositivo no funciona"},
    {ERROR_IO_DEVICE, errors::kDeviceIo, "Error de entrada/salida del dispositivo"},
    {ERROR_INVALID_NAME, errors::kBadFileNameOrNumber,
     "El nombre del archivo o de la carpeta no es válido"},
    {ERROR_FILENAME_EXCED_RANGE, errors::kBadFileNameOrNumber, "El nombre es demasiado largo"},
    {ERROR_DIRECTORY, errors::kBadFileNameOrNumber, "El nombre de carpeta no es válido"},
    {ERROR_ALREADY_EXISTS, errors::kFileAlreadyExists, "Ya existe"},
    {ERROR_FILE_EXISTS, errors::kFileAlreadyExists, "Ya existe"},
    {ERROR_DIR_NOT_EMPTY, errors::kPathFileAccessError, "La carpeta no está vacía"},
    {ERROR_NOT_SAME_DEVICE, errors::kPathFileAccessError, "No se puede mover a otra unidad"},
    {ERROR_INVALID_DRIVE, errors::kDeviceUnavailable, "No existe la unidad"},
    {ERROR_NOT_READY, errors::kDiskNotReady, "La unidad no está preparada"},
    {ERROR_TOO_MANY_OPEN_FILES, errors::kTooManyFiles, "Demasiados archivos abiertos"},
    {ERROR_NOT_ENOUGH_MEMORY, errors::kOutOfMemory, "Memoria insuficiente"},
    {ERROR_OUTOFMEMORY, errors::kOutOfMemory, "Memoria insuficiente"},
    {ERROR_BAD_EXE_FORMAT, errors::kInvalidProcedureCall,
     "No es un programa que se pueda ejecutar"},
    {ERROR_NO_ASSOCIATION, errors::kInvalidProcedureCall,
     "Ningún programa está asociado a este tipo de archivo"},
};

}  // namespace

std::string describeSystemError(std::uint32_t error) {
    return platform::failures::systemErrorReason(kSystemErrors, static_cast<DWORD>(error));
}

std::int32_t failureNumber(std::uint32_t error) {
    return platform::failures::systemErrorNumber(kSystemErrors, static_cast<DWORD>(error));
}

platform::Failure systemFailure(std::uint32_t error, const std::string& what,
                                const std::string& path) {
    return platform::failures::describedFailure(failureNumber(error), what, path,
                                                describeSystemError(error));
}

}  // namespace quibrant::win32
