#pragma once

#include <cstdint>
#include <string>

#include "platform/Failure.h"

namespace quibrant::win32 {

// A failure of a Windows call, numbered and described the way the program
// reports failures: `what` says what was being done ("No se pudo crear la
// carpeta"), `path` what it was done to, and the system's error code adds the
// why ("Acceso denegado"). The number is never 0 or -1.
platform::Failure systemFailure(std::uint32_t error, const std::string& what,
                                const std::string& path);

// The Spanish description of a Windows error code (GetLastError).
std::string describeSystemError(std::uint32_t error);

// The program's number for a Windows error code.
std::int32_t failureNumber(std::uint32_t error);

}  // namespace quibrant::win32
