#pragma once

#include <cstdint>
#include <string>

#include "transfer/TransferFailures.h"

namespace quibrant::win32 {

// What a WinINet (or Windows) error code means, as a Spanish clause.
std::string describeInternetError(std::uint32_t error);

// What went wrong, for the core to word: before any answer, or while the body
// arrived. An error of no known meaning is a network failure.
transfer::TransferFault faultOfInternetError(std::uint32_t error);

}  // namespace quibrant::win32
