#include "win32/Win32Failure.h"

#include <windows.h>

namespace quibrant::win32 {
namespace {

// Windows refuses to start a program that asks for administrator rights this
// way; mingw-w64's headers do not name the code.
constexpr DWORD kErrorElevationRequired = 740;

// Numbers the program already uses for the same kinds of failure, so a message
// reads alike whichever service raised it.
constexpr std::int32_t kInvalidProcedureCall = 5;
constexpr std::int32_t kOutOfMemory = 7;
constexpr std::int32_t kFileAlreadyExists = 58;
constexpr std::int32_t kTooManyFiles = 67;
constexpr std::int32_t kDeviceUnavailable = 68;
constexpr std::int32_t kDiskNotReady = 71;
constexpr std::int32_t kPathFileAccessError = 75;

struct ErrorText {
    DWORD error;
    std::int32_t number;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {ERROR_FILE_NOT_FOUND, platform::errors::kFileNotFound, "No se encuentra el archivo"},
    {ERROR_PATH_NOT_FOUND, platform::errors::kPathNotFound, "No se encuentra la ruta"},
    {ERROR_BAD_NETPATH, platform::errors::kPathNotFound, "No se encuentra la ruta de red"},
    {ERROR_BAD_NET_NAME, platform::errors::kPathNotFound, "No se encuentra el recurso de red"},
    {ERROR_ACCESS_DENIED, platform::errors::kPermissionDenied, "Acceso denegado"},
    {ERROR_SHARING_VIOLATION, platform::errors::kPermissionDenied,
     "El archivo está en uso por otro programa"},
    {ERROR_LOCK_VIOLATION, platform::errors::kPermissionDenied,
     "Otro programa tiene bloqueada una parte del archivo"},
    {ERROR_WRITE_PROTECT, platform::errors::kPermissionDenied,
     "El disco está protegido contra escritura"},
    {kErrorElevationRequired, platform::errors::kPermissionDenied,
     "La operación requiere permisos de administrador"},
    {ERROR_CANCELLED, platform::errors::kPermissionDenied, "El usuario canceló la operación"},
    {ERROR_DISK_FULL, platform::errors::kDiskFull, "No queda espacio en el disco"},
    {ERROR_HANDLE_DISK_FULL, platform::errors::kDiskFull, "No queda espacio en el disco"},
    {ERROR_CRC, platform::errors::kDeviceIo, "Error de datos en el dispositivo"},
    {ERROR_GEN_FAILURE, platform::errors::kDeviceIo, "El dispositivo no funciona"},
    {ERROR_IO_DEVICE, platform::errors::kDeviceIo, "Error de entrada/salida del dispositivo"},
    {ERROR_INVALID_NAME, platform::errors::kBadFileNameOrNumber,
     "El nombre del archivo o de la carpeta no es válido"},
    {ERROR_FILENAME_EXCED_RANGE, platform::errors::kBadFileNameOrNumber,
     "El nombre es demasiado largo"},
    {ERROR_DIRECTORY, platform::errors::kBadFileNameOrNumber, "El nombre de carpeta no es válido"},
    {ERROR_ALREADY_EXISTS, kFileAlreadyExists, "Ya existe"},
    {ERROR_FILE_EXISTS, kFileAlreadyExists, "Ya existe"},
    {ERROR_DIR_NOT_EMPTY, kPathFileAccessError, "La carpeta no está vacía"},
    {ERROR_NOT_SAME_DEVICE, kPathFileAccessError, "No se puede mover a otra unidad"},
    {ERROR_INVALID_DRIVE, kDeviceUnavailable, "No existe la unidad"},
    {ERROR_NOT_READY, kDiskNotReady, "La unidad no está preparada"},
    {ERROR_TOO_MANY_OPEN_FILES, kTooManyFiles, "Demasiados archivos abiertos"},
    {ERROR_NOT_ENOUGH_MEMORY, kOutOfMemory, "Memoria insuficiente"},
    {ERROR_OUTOFMEMORY, kOutOfMemory, "Memoria insuficiente"},
    {ERROR_BAD_EXE_FORMAT, kInvalidProcedureCall, "No es un programa que se pueda ejecutar"},
    {ERROR_NO_ASSOCIATION, kInvalidProcedureCall,
     "Ningún programa está asociado a este tipo de archivo"},
};

const ErrorText* find(std::uint32_t error) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.error == error) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

std::string describeSystemError(std::uint32_t error) {
    const ErrorText* entry = find(error);
    return entry ? entry->text : "Error del sistema " + std::to_string(error);
}

std::int32_t failureNumber(std::uint32_t error) {
    const ErrorText* entry = find(error);
    return entry ? entry->number : kPathFileAccessError;
}

platform::Failure systemFailure(std::uint32_t error, const std::string& what,
                                const std::string& path) {
    std::string description = what;
    if (!path.empty()) {
        description += ": " + path;
    }
    description += " (" + describeSystemError(error) + ")";
    return platform::Failure(failureNumber(error), description);
}

}  // namespace quibrant::win32
