#pragma once

#include <cstdint>

#include "transfer/TransferFailures.h"

namespace quibrant::win32 {

// What a WinINet (or Windows) error means for the transfer, which words it
// for the user. An error of no known meaning is a network failure.
transfer::TransferFault faultOfInternetError(std::uint32_t error);

}  // namespace quibrant::win32
