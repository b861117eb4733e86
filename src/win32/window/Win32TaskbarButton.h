#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shobjidl.h>

#include "app/ScreenRate.h"
#include "platform/Taskbar.h"
#include "win32/services/Win32Handles.h"
#include "win32/window/Win32Controls.h"

namespace quibrant::win32 {

// The window's button on the taskbar, through ITaskbarList3. The taskbar
// announces the button with a registered message once the window is shown,
// and again whenever it starts afresh (Explorer restarting); until then what
// the form asks is only kept, and shown as soon as the button is there. A
// shell without the interface, or a call that fails, leaves the button as it
// is: the download never depends on it.
class Win32TaskbarButton : public platform::TaskbarButton {
  public:
    // Changes reach the taskbar at screen rate, through the window's timer
    // of that id.
    Win32TaskbarButton(HWND window, UINT_PTR timerId);
    Win32TaskbarButton(const Win32TaskbarButton&) = delete;
    Win32TaskbarButton& operator=(const Win32TaskbarButton&) = delete;

    // Whether `message` is the one by which the taskbar announces the button.
    bool announcesButton(UINT message) const {
        return createdMessage_ != 0 && message == createdMessage_;
    }
    // The taskbar announced the button: speak to it from now on.
    void onButtonCreated();

    void show(const platform::TaskbarProgress& progress) override { rated_.show(progress); }
    // Passes on the owner's WM_TIMER; false when the timer is not this one's.
    bool onTimer(UINT_PTR id) { return timer_.deliver(id, rated_.update()); }

    // Whether the taskbar takes the button's progress, and how many of the
    // calls that set it succeeded and failed.
    bool connected() const { return static_cast<bool>(list_); }
    int succeededCalls() const { return succeeded_; }
    int failedCalls() const { return failed_; }

  private:
    void apply(const platform::TaskbarProgress& progress);
    void count(HRESULT result);

    HWND window_;
    UINT createdMessage_;
    ComApartment apartment_;
    ComPtr<ITaskbarList3> list_;
    WindowTimer timer_;
    RatedTaskbar rated_;
    // What the button is to show, kept for a button the taskbar makes anew.
    platform::TaskbarProgress wanted_;
    int succeeded_ = 0;
    int failed_ = 0;
};

}  // namespace quibrant::win32
