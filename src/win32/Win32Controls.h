#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/EventRounds.h"
#include "win32/WindowHandles.h"
#include "win32/WindowLayout.h"

// The window's controls as the form sees them, each over one child window.
// The form reads back what it set: Visible and Enabled are the control's own
// settings, not whether the frame holding it happens to show or allow it.
namespace quibrant::win32 {

// Applies a change to a control at most once per screen frame. A download
// sets the progress several thousand times a second and a repaint costs far
// more than the piece it reports, so the first change of a burst is shown at
// once and the rest are folded into one update per interval. The owner
// window passes its WM_TIMER for the timer's id to onTimer().
class ScreenRateUpdate {
  public:
    static constexpr UINT kIntervalMs = 33;

    ScreenRateUpdate(HWND owner, UINT_PTR timerId, std::function<void()> apply);
    ~ScreenRateUpdate();
    ScreenRateUpdate(const ScreenRateUpdate&) = delete;
    ScreenRateUpdate& operator=(const ScreenRateUpdate&) = delete;

    void request();
    // Shows the latest change now, e.g. before the control is looked at.
    void flush();
    void onTimer();
    UINT_PTR timerId() const { return timerId_; }

  private:
    void applyNow();

    HWND owner_;
    UINT_PTR timerId_;
    std::function<void()> apply_;
    bool running_ = false;
    bool pending_ = false;
};

// The Visible and Enabled settings of one child window. A frame disables the
// controls it holds, and gives each back its own setting when enabled again.
class ChildControl {
  public:
    ChildControl(HWND hwnd, bool visible) : hwnd_(hwnd), visible_(visible) {}
    virtual ~ChildControl() = default;
    ChildControl(const ChildControl&) = delete;
    ChildControl& operator=(const ChildControl&) = delete;

    HWND hwnd() const { return hwnd_; }
    void showChild(bool visible);
    bool shownVisible() const { return visible_; }
    void enableChild(bool enabled);
    bool ownEnabled() const { return enabled_; }
    void setContainerEnabled(bool enabled);

  private:
    void applyEnabled();

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
    // What backColor() reports before the box is first coloured: the
    // system's window colour, which the box keeps until it takes the focus.
    static constexpr platform::Color kDefaultBackground = 0x80000005;

    Win32TextBox(HWND edit, bool visible);

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

// A label or a frame. Frame1's caption follows every piece of a download, so
// the text is kept here at once and shown at screen rate.
class Win32Captioned : public Win32Control<platform::Captioned> {
  public:
    Win32Captioned(HWND hwnd, bool visible, std::string caption, HWND owner, UINT_PTR timerId);

    std::string caption() const override { return caption_; }
    void setCaption(const std::string& caption) override;
    ScreenRateUpdate& update() { return update_; }

  private:
    std::string caption_;
    ScreenRateUpdate update_;
};

// A frame: disabling it disables every control it holds.
class Win32Frame : public Win32Captioned {
  public:
    using Win32Captioned::Win32Captioned;
    void setMembers(std::vector<ChildControl*> members) { members_ = std::move(members); }
    void setEnabled(bool enabled) override;

  private:
    std::vector<ChildControl*> members_;
};

class Win32PictureBox : public Win32Control<platform::PictureBox> {
  public:
    Win32PictureBox(HWND picture, bool visible, const WindowUnits& units);
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

// The bar counts in kilobytes, so that any 32-bit length fits its range;
// like the caption it is redrawn at screen rate.
class Win32ProgressBar : public Win32Control<platform::ProgressBarView> {
  public:
    Win32ProgressBar(HWND bar, bool visible, HWND owner, UINT_PTR timerId);
    void setRange(float minimum, float maximum) override;
    void setValue(float value) override;
    ScreenRateUpdate& update() { return update_; }

  private:
    void showProgress();

    float minimum_ = 0;
    float maximum_ = 100;
    float value_ = 0;
    int shownMaximum_ = -1;
    ScreenRateUpdate update_;
};

// A timer of the window: its ticks arrive as WM_TIMER with its id.
class Win32Timer : public platform::Timer {
  public:
    Win32Timer(HWND owner, UINT_PTR timerId, int intervalMs);
    ~Win32Timer() override;
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    bool isEnabled() const override { return enabled_; }
    void setEnabled(bool enabled) override;
    int interval() const override { return intervalMs_; }
    UINT_PTR timerId() const { return timerId_; }

  private:
    HWND owner_;
    UINT_PTR timerId_;
    int intervalMs_;
    bool enabled_ = false;
};

class Win32Window : public platform::Window {
  public:
    Win32Window(HWND window, std::function<void()> tab);
    std::string caption() const override;
    void setCaption(const std::string& caption) override;
    void sendTab() override;
    void doEvents() override;
    // True while doEvents is processing events, i.e. inside a download's loop.
    bool processingEvents() const { return rounds_.running(); }

  private:
    HWND window_;
    std::function<void()> tab_;
    platform::EventRounds rounds_;
};

}  // namespace quibrant::win32
