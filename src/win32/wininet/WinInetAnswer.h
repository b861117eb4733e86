#pragma once

#include <windows.h>
#include <wininet.h>

#include "transfer/Connection.h"

namespace quibrant::win32 {

// The answer head WinINet holds for `request` once its send has returned:
// status 0 when no status line came at all; the headers in the order sent,
// a repeated one listed as often as it came.
transfer::Answer readAnswer(HINTERNET request);

}  // namespace quibrant::win32
