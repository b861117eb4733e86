#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/FakeInternetTransfer.h"
#include "support/FakeServices.h"
#include "win32/window/DownloadWindow.h"

namespace quibrant::test {

// The Win32 window over fakes of every service: nothing touches the real
// machine. Input goes through the system's own input queue (SendInput), so
// keys and clicks take the road a user's take.
struct WindowFixture : FakeServiceSet {
    static constexpr const char* kTempFolder = "C:\\quibrant-test-temp";
    static constexpr const char* kProfile = "C:\\users\\user1";
    static constexpr const char* kDriveRoot = "C:\\";

    FakeInternetTransfer inet;
    std::unique_ptr<win32::DownloadWindow> window;

    WindowFixture();
    ~WindowFixture();

    // Builds the window and shows it as the program's start does, active.
    win32::DownloadWindow& start();

    HWND control(const char* name) const;
    std::string text(const char* name) const;
    // The name of the control that has the keyboard focus, "" for none.
    std::string focusName() const;

    // Input as the user gives it; each returns once the window has handled it.
    void type(const std::wstring& characters);
    void press(WORD virtualKey, bool shift = false);
    void click(HWND control);

    // Processes the thread's messages until the condition holds; false when
    // it still does not after a generous wait.
    static bool waitFor(const std::function<bool()>& condition);
    // Processes whatever messages are pending now. A request to end the
    // message loop is kept in quitCode rather than acted on.
    static void pump();
    static inline std::optional<int> quitCode;
};

// The colour a control is painted with, as the window answers its
// WM_CTLCOLOR* question.
COLORREF paintedColor(HWND control);

// What a control draws when it paints itself, pixel by pixel.
struct Drawing {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels.at(static_cast<std::size_t>(y * width + x)); }
};
Drawing drawingOf(HWND control);

}  // namespace quibrant::test
