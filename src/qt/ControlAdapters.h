#pragma once

#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "platform/Controls.h"
#include "platform/EventRounds.h"
#include "qt/ScreenRate.h"

// The window's controls as the form sees them, each over one Qt widget. The
// form reads back what it set: Visible and Enabled are the control's own
// settings, not whether its container happens to show it.
namespace quibrant::qt {

template <typename Base>
class WidgetControl : public Base {
  public:
    WidgetControl(QWidget& widget, bool visible) : widget_(widget), visible_(visible) {
        widget_.setVisible(visible);
    }
    void setVisible(bool visible) override {
        visible_ = visible;
        widget_.setVisible(visible);
    }
    bool isVisible() const override { return visible_; }
    void setEnabled(bool enabled) override {
        enabled_ = enabled;
        widget_.setEnabled(enabled);
    }
    bool isEnabled() const override { return enabled_; }

  protected:
    QWidget& widget_;

  private:
    bool visible_;
    bool enabled_ = true;
};

class QtTextBox : public WidgetControl<platform::TextBox> {
  public:
    // What backColor() reports before the box is first coloured: the system's
    // window colour, which the box keeps until it first takes the focus.
    static constexpr platform::Color kDefaultBackground = 0x80000005;

    QtTextBox(QLineEdit& edit, bool visible);

    std::string text() const override;
    void setText(const std::string& text) override;
    platform::Color backColor() const override;
    void setBackColor(platform::Color color) override;
    std::string passwordChar() const override;
    void setPasswordChar(const std::string& mask) override;
    void setFocus() override;

  private:
    QLineEdit& edit_;
    std::optional<platform::Color> backColor_;
};

// A frame or a label. Frame1's caption follows every piece of a download, so
// the text is kept here at once and shown at screen rate.
class QtCaptioned : public WidgetControl<platform::Captioned> {
  public:
    using Show = std::function<void(const QString&)>;
    QtCaptioned(QWidget& widget, bool visible, std::string caption, Show show);

    std::string caption() const override { return caption_; }
    void setCaption(const std::string& caption) override {
        caption_ = caption;
        update_.request();
    }
    void flush() { update_.flush(); }

  private:
    std::string caption_;
    Show show_;
    ScreenRateUpdate update_;
};

class QtPictureBox : public WidgetControl<platform::PictureBox> {
  public:
    using WidgetControl::WidgetControl;
    int left() const override;
    int top() const override;
    void move(int left, int top) override;
};

class QtOptionButton : public WidgetControl<platform::OptionButton> {
  public:
    QtOptionButton(QRadioButton& button, bool visible);
    bool value() const override;
    void setValue(bool selected) override;

  private:
    QRadioButton& button_;
};

// The bar counts in kilobytes, so that any 32-bit length fits its integer
// range; like the caption it is redrawn at screen rate.
class QtProgressBar : public WidgetControl<platform::ProgressBarView> {
  public:
    QtProgressBar(QProgressBar& bar, bool visible);
    void setRange(float minimum, float maximum) override;
    void setValue(float value) override {
        value_ = value;
        update_.request();
    }
    void flush() { update_.flush(); }

  private:
    void showProgress();

    QProgressBar& bar_;
    float minimum_ = 0;
    float maximum_ = 100;
    float value_ = 0;
    ScreenRateUpdate update_;
};

class QtTimer : public platform::Timer {
  public:
    QtTimer(int intervalMs, std::function<void()> tick);
    bool isEnabled() const override { return timer_.isActive(); }
    void setEnabled(bool enabled) override;
    int interval() const override { return timer_.interval(); }

  private:
    QTimer timer_;
};

class QtWindow : public platform::Window {
  public:
    explicit QtWindow(QWidget& window) : window_(window) {}
    std::string caption() const override;
    void setCaption(const std::string& caption) override;
    void sendTab() override;
    void doEvents() override;
    // True while doEvents is processing events, i.e. inside a download's loop.
    bool processingEvents() const { return rounds_.running(); }

  private:
    QWidget& window_;
    platform::EventRounds rounds_;
};

}  // namespace quibrant::qt
