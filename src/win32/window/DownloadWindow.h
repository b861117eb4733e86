#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string_view>

#include "app/DownloadForm.h"
#include "app/WindowHost.h"
#include "platform/InternetTransfer.h"
#include "source/ServerConfig.h"
#include "win32/window/WindowHandles.h"
#include "win32/window/WindowLayout.h"

namespace quibrant::win32 {

struct WindowControls;
class Win32TaskbarButton;

// The program's window: the top-level window and its child controls and the
// controls as the form sees them, with every user event passed to the window
// host (which runs the form). The transfer component must outlive the
// window. Everything runs on the thread that created the window.
class DownloadWindow {
  public:
    DownloadWindow(HINSTANCE instance, const quibrant::Services& services,
                   platform::InternetTransfer& inet,
                   quibrant::ServerConfig server = quibrant::ServerConfig::builtIn());
    ~DownloadWindow();
    DownloadWindow(const DownloadWindow&) = delete;
    DownloadWindow& operator=(const DownloadWindow&) = delete;

    // Shows the window; the first time, the form's activation runs.
    void show(int showCommand);
    // nullptr once the user has closed the window.
    HWND handle() const { return hwnd_.get(); }
    // A child control by the control's name ("Text4", "Picture1_0", "Frame1"),
    // or nullptr.
    HWND control(std::string_view name) const;
    quibrant::DownloadForm& form() { return host_->form(); }
    // The window's button on the taskbar.
    const Win32TaskbarButton& taskbar() const;

    // Runs the thread's message loop until the window is gone; returns the
    // exit code.
    static int runMessageLoop(DownloadWindow& window);

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self);

    void createWindow(HINSTANCE instance);
    void prepareControls(HINSTANCE instance);
    void shutDown();

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(HWND control, UINT code);
    LRESULT onControlColor(HDC dc, HWND control);
    void onDrawItem(const DRAWITEMSTRUCT& item);
    void onTimer(UINT_PTR id);
    void onActivate(WPARAM state);
    void onSetFocus();
    void onClose();
    void onDestroy();
    void fill(HDC dc, HWND area, const Brush& brush);
    // The control's name in the control table, "" for none.
    std::string_view nameOf(HWND control) const;
    // The host, while the window is live; nullptr otherwise.
    quibrant::WindowHost* host() const { return live_ ? host_.get() : nullptr; }

    // Moves the focus to the next (or previous) control of the focus order
    // that is shown and enabled; returns once the focus handlers have run.
    void moveFocus(bool forward);
    bool canTakeFocus(HWND control) const;

    WindowUnits units_;
    Font font_;
    Brush windowBrush_;
    Brush frameBrush_;
    Brush optionBrush_;
    Bitmap closedPadlock_;
    Bitmap openPadlock_;
    Bitmap folderArrows_;
    std::unique_ptr<WindowLayout> layout_;
    std::unique_ptr<WindowControls> controls_;
    std::unique_ptr<quibrant::WindowHost> host_;
    // The control to give the focus back to when the window is active again.
    HWND savedFocus_ = nullptr;
    // False while the window is built and once it is being taken down: no
    // message reaches the form then.
    bool live_ = false;
    // Declared last, destroyed first: the window goes before what it shows.
    WindowHandle hwnd_;
};

}  // namespace quibrant::win32
