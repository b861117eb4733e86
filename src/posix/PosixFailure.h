#pragma once

#include <string>

#include "platform/Failure.h"

namespace quibrant::posix {

// A failure of a system call, numbered and described the way the program
// reports failures: `what` says what was being done ("No se pudo crear la
// carpeta"), `path` what it was done to, and the system's error adds the why
// ("Permiso denegado"). The number is never 0 or -1.
platform::Failure systemFailure(int error, const std::string& what, const std::string& path);

// The same for an operation on one file, where a missing path means the file
// was not found.
platform::Failure fileFailure(int error, const std::string& what, const std::string& path);

}  // namespace quibrant::posix
