#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <type_traits>

// Kernel and window handles have their owners beside the other adapters.
#include "win32/services/Win32Handles.h"
#include "win32/window/WindowHandles.h"

namespace quibrant::win32 {

// The owner of the WinINet handles, closed exactly once.

struct InternetHandleCloser {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<std::remove_pointer_t<HINTERNET>, InternetHandleCloser>;

}  // namespace quibrant::win32
