#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace quibrant::win32 {

// Owners of the window's GDI objects and of its top-level window. Child
// controls need no owner of their own: Windows destroys them with their parent.

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const noexcept {
        if (object != nullptr) {
            DeleteObject(object);
        }
    }
};

// A brush, font or bitmap that is deleted when its owner lets go of it.
template <typename Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;

struct WindowDestroyer {
    void operator()(HWND window) const noexcept {
        if (window != nullptr && IsWindow(window)) {
            DestroyWindow(window);
        }
    }
};

using WindowHandle = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// A device context of the screen, for measuring before any window exists.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_ != nullptr) {
            ReleaseDC(nullptr, dc_);
        }
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

}  // namespace quibrant::win32
