#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "win32/window/DownloadWindow.h"
#include "window/WindowDriver.h"

namespace quibrant::test {

// The colour a control is painted with, as the window answers its
// WM_CTLCOLOR* question.
COLORREF paintedColor(HWND control);

// The Win32 window over the fakes. Input goes through the system's own input
// queue (SendInput), so keys and clicks take the road a user's take.
class Win32WindowDriver : public WindowDriver {
  public:
    std::unique_ptr<win32::DownloadWindow> window;

    Win32WindowDriver();
    ~Win32WindowDriver() override;

    void start() override;
    DownloadForm& form() override { return window->form(); }

    void click(std::string_view control) override { click(this->control(control)); }
    void type(std::string_view characters) override;
    void press(Key key) override;
    void focus(std::string_view control) override;
    std::string focusName() override;
    void setText(std::string_view box, std::string_view text) override;
    void activateAnotherWindow() override;
    void activateAgain() override;
    void close() override;
    void postClose() override { PostMessageW(window->handle(), WM_CLOSE, 0, 0); }
    bool closed() override { return window->handle() == nullptr && quitCode == 0; }
    void pump() override { pumpMessages(); }

    std::string windowCaption() override { return textOf(window->handle()); }
    std::string text(std::string_view control) override { return textOf(this->control(control)); }
    std::string mask(std::string_view box) override;
    platform::Color backColor(std::string_view box) override { return paintedColor(control(box)); }
    platform::Color standardBoxColor() override { return GetSysColor(COLOR_WINDOW); }
    bool visible(std::string_view name) override { return IsWindowVisible(control(name)) != FALSE; }
    bool enabled(std::string_view name) override { return IsWindowEnabled(control(name)) != FALSE; }
    bool checked(std::string_view option) override;

    HWND control(std::string_view name) const;
    // A key as the keyboard gives it, with Shift held when asked; `extended`
    // for the keypad's Enter.
    void press(WORD virtualKey, bool shift = false, bool extended = false);
    void click(HWND control);

    // Processes the thread's messages until the condition holds; false when
    // it still does not after a generous wait.
    static bool waitFor(const std::function<bool()>& condition);
    // Processes whatever messages are pending now. A request to end the
    // message loop is kept in quitCode rather than acted on.
    static void pumpMessages();
    static inline std::optional<int> quitCode;

  private:
    static std::string textOf(HWND window);

    HWND other_ = nullptr;
};

// What a control draws when it paints itself, pixel by pixel.
struct Drawing {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels.at(static_cast<std::size_t>(y * width + x)); }
};
Drawing drawingOf(HWND control);

}  // namespace quibrant::test
