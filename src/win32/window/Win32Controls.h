#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/ScreenRate.h"
#include "platform/Controls.h"
#include "win32/window/WindowHandles.h"
#include "win32/window/WindowLayout.h"

// The window's controls as the form sees them, each over one child window.
// The form reads back what it set: Visible and Enabled are the control's own
// settings, not whether the frame holding it happens to show or allow it.
namespace quibrant::win32 {

// A timer of a window: its ticks arrive at the owner as WM_TIMER with its id.
// Stopped when it goes, if the window is still there.
class WindowTimer {
  public:
    WindowTimer(HWND owner, UINT_PTR timerId) : owner_(owner), timerId_(timerId) {}
    ~WindowTimer();
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    // False when the system has no timer to give.
    bool start(UINT intervalMs);
    void stop();
    bool running() const { return running_; }
    UINT_PTR timerId() const { return timerId_; }
    // The screen-rate update's use of the timer.
    ScreenRateUpdate::RunTimer runner();
    // Hands a WM_TIMER of this timer's id to `update`; false for another id.
    bool deliver(UINT_PTR id, ScreenRateUpdate& update) const {
        if (id != timerId_) {
            return false;
        }
        update.onTimer();
        return true;
    }

  private:
    HWND owner_;
    UINT_PTR timerId_;
    bool running_ = false;
};

// The Visible and Enabled settings of one child window. A frame disables the
// controls it holds, and gives each back its own setting when enabled again.
class ChildControl {
  public:
    // Shown or hidden as the layout created it.
    explicit ChildControl(HWND hwnd)
        : hwnd_(hwnd), visible_((GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0) {}
    virtual ~ChildControl() = default;
    ChildControl(const ChildControl&) = delete;
    ChildControl& operator=(const ChildControl&) = delete;

    HWND hwnd() const { return hwnd_; }
    void showChild(bool visible);
    bool shownVisible() const { return visible_; }
    void enableChild(bool enabled);
    bool ownEnabled() const { return enabled_; }
    void setContainerEnabled(bool enabled);
    // Passes on the owner's WM_TIMER; false when the timer is not this
    // control's (only controls that show changes at screen rate have one).
    virtual bool onTimer(UINT_PTR /*id*/) { return false; }

  protected:
    bool effectivelyEnabled() const { return enabled_ && containerEnabled_; }

  private:
    virtual void applyEnabled();

    HWND hwnd_;
    bool visible_;
    bool enabled_ = true;
    bool containerEnabled_ = true;
};

template <typename Base>
class Win32Control : public Base, public ChildControl {
  public:
    using ChildControl::ChildControl;
    void setVisible(bool visible) override { showChild(visible); }
    bool isVisible() const override { return shownVisible(); }
    void setEnabled(bool enabled) override { enableChild(enabled); }
    bool isEnabled() const override { return ownEnabled(); }
};

class Win32TextBox : public Win32Control<platform::TextBox> {
  public:
    explicit Win32TextBox(HWND edit);

    std::string text() const override;
    void setText(const std::string& text) override;
    platform::Color backColor() const override;
    void setBackColor(platform::Color color) override;
    std::string passwordChar() const override;
    void setPasswordChar(const std::string& mask) override;
    void setFocus() override;

    // What the box is painted with (WM_CTLCOLOREDIT).
    HBRUSH brush() const;
    COLORREF paintColor() const;

  private:
    std::optional<platform::Color> backColor_;
    // The brush of the current colour; replacing it deletes the old one.
    Brush brush_;
};

// A label or a frame, its caption shown at screen rate.
class Win32Captioned : public Win32Control<platform::Captioned> {
  public:
    Win32Captioned(HWND hwnd, HWND owner, UINT_PTR timerId);

    std::string caption() const override { return caption_.caption(); }
    void setCaption(const std::string& caption) override { caption_.setCaption(caption); }
    bool onTimer(UINT_PTR id) override;

  private:
    WindowTimer timer_;
    RatedCaption caption_;
};

// A label of a frame. It takes no input, so disabling its window would only
// have the system draw it in a grey that vanishes on the frame's: it stays
// enabled, and says how it is to be drawn instead.
class Win32Label : public Win32Captioned {
  public:
    using Win32Captioned::Win32Captioned;
    // Whether it is drawn as enabled (it and its frame are).
    bool drawnEnabled() const { return effectivelyEnabled(); }

  private:
    void applyEnabled() override;
};

// A frame: disabling it disables every control it holds.
class Win32Frame : public Win32Captioned {
  public:
    using Win32Captioned::Win32Captioned;
    void addMember(ChildControl& member) { members_.push_back(&member); }
    void setEnabled(bool enabled) override;

  private:
    std::vector<ChildControl*> members_;
};

class Win32PictureBox : public Win32Control<platform::PictureBox> {
  public:
    Win32PictureBox(HWND picture, const WindowUnits& units);
    int left() const override;
    int top() const override;
    void move(int left, int top) override;

  private:
    POINT position() const;
    WindowUnits units_;
};

class Win32OptionButton : public Win32Control<platform::OptionButton> {
  public:
    using Win32Control::Win32Control;
    bool value() const override;
    void setValue(bool selected) override;
};

// The bar, in kilobytes and at screen rate.
class Win32ProgressBar : public Win32Control<platform::ProgressBarView> {
  public:
    Win32ProgressBar(HWND bar, HWND owner, UINT_PTR timerId);
    void setRange(float minimum, float maximum) override { progress_.setRange(minimum, maximum); }
    void setValue(float value) override { progress_.setValue(value); }
    bool onTimer(UINT_PTR id) override;

  private:
    WindowTimer timer_;
    RatedProgress progress_;
};

// The form's timer.
class Win32Timer : public platform::Timer {
  public:
    Win32Timer(HWND owner, UINT_PTR timerId, int intervalMs);

    bool isEnabled() const override { return timer_.running(); }
    void setEnabled(bool enabled) override;
    int interval() const override { return intervalMs_; }
    UINT_PTR timerId() const { return timer_.timerId(); }

  private:
    WindowTimer timer_;
    int intervalMs_;
};

class Win32Window : public platform::Window {
  public:
    Win32Window(HWND window, std::function<void()> tab);
    std::string caption() const override;
    void setCaption(const std::string& caption) override;
    void sendTab() override;
    void doEvents() override;

  private:
    HWND window_;
    std::function<void()> tab_;
};

}  // namespace quibrant::win32
