#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "app/ControlTable.h"
#include "platform/Controls.h"
#include "platform/Taskbar.h"

namespace quibrant::test {

// In-memory controls that remember what the form did to them.
template <typename Base>
class FakeControl : public Base {
  public:
    void setVisible(bool visible) override { visible_ = visible; }
    bool isVisible() const override { return visible_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool isEnabled() const override { return enabled_; }

  private:
    bool visible_ = true;
    bool enabled_ = true;
};

class FakeTextBox : public FakeControl<platform::TextBox> {
  public:
    // The toolkit's default window background, before the box ever had focus.
    static constexpr platform::Color kDefaultBackground = 0x80000005;

    std::string text() const override { return text_; }
    void setText(const std::string& text) override { text_ = text; }
    platform::Color backColor() const override { return backColor_; }
    void setBackColor(platform::Color color) override { backColor_ = color; }
    std::string passwordChar() const override { return passwordChar_; }
    void setPasswordChar(const std::string& mask) override { passwordChar_ = mask; }
    void setFocus() override {
        ++focusRequests;
        if (onFocus) {
            onFocus();
        }
    }

    int focusRequests = 0;
    std::function<void()> onFocus;

  private:
    std::string text_;
    platform::Color backColor_ = kDefaultBackground;
    std::string passwordChar_;
};

class FakeCaptioned : public FakeControl<platform::Captioned> {
  public:
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& caption) override {
        caption_ = caption;
        ++captionChanges;
    }
    int captionChanges = 0;

  private:
    std::string caption_;
};

class FakePictureBox : public FakeControl<platform::PictureBox> {
  public:
    FakePictureBox(int left = 0, int top = 0) : left_(left), top_(top) {}
    int left() const override { return left_; }
    int top() const override { return top_; }
    void move(int left, int top) override {
        left_ = left;
        top_ = top;
    }

  private:
    int left_;
    int top_;
};

class FakeOptionButton : public FakeControl<platform::OptionButton> {
  public:
    bool value() const override { return value_; }
    void setValue(bool selected) override { value_ = selected; }

  private:
    bool value_ = false;
};

class FakeProgressBarView : public FakeControl<platform::ProgressBarView> {
  public:
    void setRange(float minimum, float maximum) override {
        shownMin = minimum;
        shownMax = maximum;
    }
    void setValue(float value) override {
        shownValue = value;
        ++valueUpdates;
    }
    float shownMin = 0;
    float shownMax = 100;
    float shownValue = 0;
    long valueUpdates = 0;
};

class FakeTimer : public platform::Timer {
  public:
    bool isEnabled() const override { return enabled_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    int interval() const override { return 500; }

  private:
    bool enabled_ = false;
};

// The fake that stands for a control of each kind of the control table.
struct Fakes {
    using Frame = FakeCaptioned;
    using Label = FakeCaptioned;
    using TextBox = FakeTextBox;
    using Option = FakeOptionButton;
    using Picture = FakePictureBox;
    using Command = FakeControl<platform::Control>;
    using Progress = FakeProgressBarView;
};

// A fake control at the place the control table gives it: pictures, which
// the form moves, start at their place in twips.
template <typename Fake>
Fake fakeAt(int left, int top) {
    if constexpr (std::is_same_v<Fake, FakePictureBox>) {
        return FakePictureBox(left, top);
    } else {
        (void)left;
        (void)top;
        return {};
    }
}

// Expands to one fake per row of the control table, named as the row.
#define QUIBRANT_FAKE_CONTROL_MEMBER(name, kind, container, left, top, ...) \
    ::quibrant::test::Fakes::kind name =                                    \
        ::quibrant::test::fakeAt<::quibrant::test::Fakes::kind>(left, top);

// The window: Tab and pending events are whatever the test says they are.
class FakeWindow : public platform::Window {
  public:
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& caption) override { caption_ = caption; }
    void sendTab() override {
        ++tabsSent;
        if (onTab) {
            onTab();
        }
    }
    void doEvents() override {
        ++eventRounds;
        if (onEvents) {
            onEvents();
        }
    }

    int tabsSent = 0;
    long eventRounds = 0;
    std::function<void()> onTab;
    std::function<void()> onEvents;

  private:
    std::string caption_;
};

// The taskbar button: every change the form sends, in order.
class FakeTaskbarButton : public platform::TaskbarButton {
  public:
    void show(const platform::TaskbarProgress& progress) override { shown.push_back(progress); }
    // What the button shows now.
    platform::TaskbarProgress now() const {
        return shown.empty() ? platform::TaskbarProgress{} : shown.back();
    }

    std::vector<platform::TaskbarProgress> shown;
};

}  // namespace quibrant::test

namespace quibrant::platform {
inline void PrintTo(const TaskbarProgress& progress, std::ostream* os) {
    const char* names[] = {"None", "Normal", "Error"};
    *os << names[static_cast<int>(progress.state)] << " " << progress.done;
}
}  // namespace quibrant::platform
