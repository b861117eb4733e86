#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <type_traits>

// Kernel handles (the request's events) have their owner beside the services.
#include "win32/services/Win32Handles.h"

namespace quibrant::win32 {

// The owner of the WinINet handles, closed exactly once.
struct InternetHandleCloser {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<std::remove_pointer_t<HINTERNET>, InternetHandleCloser>;

// The owner of the hidden window that carries the connection's news to the
// window's thread.
struct MessageWindowDestroyer {
    void operator()(HWND window) const noexcept {
        if (window != nullptr && IsWindow(window)) {
            DestroyWindow(window);
        }
    }
};
using MessageWindow = std::unique_ptr<std::remove_pointer_t<HWND>, MessageWindowDestroyer>;

}  // namespace quibrant::win32
