#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Failure.h"
#include "platform/SystemReasons.h"

namespace quibrant::platform::failures {

// What the services of every system say when an operation fails, so that a
// failure reads alike on Linux and on Windows. A service adds what the
// operation was done to and, in brackets, the system's reason.
inline constexpr const char* kCannotOpen = "No se pudo abrir el archivo";
inline constexpr const char* kCannotRead = "No se pudo leer el archivo";
inline constexpr const char* kNotAFile = "No es un archivo";
inline constexpr const char* kLineTooLong = "El archivo tiene una línea demasiado larga";
inline constexpr const char* kFileTooLarge = "El archivo es demasiado grande";
inline constexpr const char* kFileClosed = "El archivo ya está cerrado";
inline constexpr const char* kCannotCreateFolder = "No se pudo crear la carpeta";
inline constexpr const char* kCannotDelete = "No se pudo borrar el archivo";
inline constexpr const char* kReadOnly = "El archivo es de solo lectura";
inline constexpr const char* kCannotCreateFile = "No se pudo crear el archivo";
inline constexpr const char* kCannotSaveDestination = "No se puede guardar el archivo de destino";
inline constexpr const char* kDestinationIsFolder = "El destino indicado es una carpeta";
inline constexpr const char* kCannotWrite = "No se pudo escribir el archivo";
inline constexpr const char* kCannotReplace = "No se pudo reemplazar el archivo";
inline constexpr const char* kNoDrive = "La unidad no está disponible";
inline constexpr const char* kCannotEnterFolder = "No se pudo entrar en la carpeta";
inline constexpr const char* kNoProgram = "No se indicó ningún programa";
inline constexpr const char* kCannotStart = "No se pudo iniciar el programa";
inline constexpr const char* kCannotCreateObject = "No se puede crear el objeto";
// The reason given for a system error code the program has no words for; the
// code follows, for whoever has to look it up.
inline constexpr const char* kSystemError = "Error del sistema";

// "what: subject (reason)", or "what (reason)" when there is no subject.
inline Failure describedFailure(std::int32_t number, const std::string& what,
                                const std::string& subject, const std::string& reason) {
    std::string description = what;
    if (!subject.empty()) {
        description += ": " + subject;
    }
    return Failure(number, description + " (" + reason + ")");
}

inline Failure notAFile(const std::string& path) {
    return Failure(errors::kFileNotFound, std::string(kNotAFile) + ": " + path);
}

inline Failure destinationIsFolder(const std::string& path) {
    return Failure(errors::kPathFileAccessError, std::string(kDestinationIsFolder) + ": " + path);
}

inline Failure readOnlyFile(const std::string& path) {
    return Failure(errors::kPermissionDenied, std::string(kReadOnly) + ": " + path);
}

inline Failure fileClosed(const std::string& path) {
    return Failure(errors::kBadFileNameOrNumber, std::string(kFileClosed) + ": " + path);
}

inline Failure noProgram() {
    return Failure(errors::kFileNotFound, kNoProgram);
}

// `drive` as the program writes it, "c:".
inline Failure noDrive(const std::string& drive) {
    return Failure(errors::kDeviceUnavailable, std::string(kNoDrive) + ": " + drive);
}

// One of a system's error codes and the reason it stands for.
template <typename Code>
struct SystemError {
    Code code;
    SystemReason reason;
};

template <typename Code, std::size_t N>
const SystemError<Code>* findSystemError(const SystemError<Code> (&table)[N], Code code) {
    for (const SystemError<Code>& entry : table) {
        if (entry.code == code) {
            return &entry;
        }
    }
    return nullptr;
}

template <typename Code, std::size_t N>
std::string systemErrorReason(const SystemError<Code> (&table)[N], Code code) {
    const SystemError<Code>* entry = findSystemError(table, code);
    return entry ? textOf(entry->reason).text
                 : std::string(kSystemError) + " " + std::to_string(code);
}

// A code the table lacks is an access error of some kind: the file or path
// could not be used, for a reason the message still names.
template <typename Code, std::size_t N>
std::int32_t systemErrorNumber(const SystemError<Code> (&table)[N], Code code) {
    const SystemError<Code>* entry = findSystemError(table, code);
    return entry ? textOf(entry->reason).number : errors::kPathFileAccessError;
}

}  // namespace quibrant::platform::failures
