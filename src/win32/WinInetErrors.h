#pragma once

#include <cstdint>
#include <string>

#include "transfer/TransferFailures.h"

namespace quibrant::win32 {

// The Spanish description of a WinINet (or Windows) error code as the user
// reads it after "No se obtuvo respuesta de ...": what went wrong, in words.
std::string describeInternetError(std::uint32_t error);

// How the body's connection broke, for an error met while the body arrived.
transfer::TransferFault faultOfInternetError(std::uint32_t error);

// Whether the error says that the server's certificate was refused.
bool isCertificateError(std::uint32_t error);

}  // namespace quibrant::win32
