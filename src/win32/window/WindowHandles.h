#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace quibrant::win32 {

// Owners of the window's GDI objects, device contexts and top-level window.
// Child controls need no owner of their own: Windows destroys them with their
// parent.

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

// A device context of a window's client area, or of the screen (nullptr),
// for measuring before any window exists.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// A memory device context like another, for drawing off screen.
class MemoryDc {
  public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (dc_ != nullptr) {
            DeleteDC(dc_);
        }
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

// Keeps a device context's selected objects and settings for one drawing or
// measurement: whatever is selected into it meanwhile is put back after.
class SavedDc {
  public:
    explicit SavedDc(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDc() { RestoreDC(dc_, saved_); }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;

  private:
    HDC dc_;
    int saved_;
};

}  // namespace quibrant::win32
