#pragma once

#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/ScreenRate.h"
#include "platform/Controls.h"

// The window's controls as the form sees them, each over one Qt widget. The
// form reads back what it set: Visible and Enabled are the control's own
// settings, not whether its container happens to show it.
namespace quibrant::qt {

template <typename Base>
class WidgetControl : public Base {
  public:
    explicit WidgetControl(QWidget& widget) : widget_(widget), visible_(!widget.isHidden()) {}
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

// The periodic timer a screen-rate update asks for.
class RateTimer {
  public:
    explicit RateTimer(std::function<void()> tick);
    ScreenRateUpdate::RunTimer runner();

  private:
    QTimer timer_;
};

class QtTextBox : public WidgetControl<platform::TextBox> {
  public:
    explicit QtTextBox(QLineEdit& edit);

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

// A frame or a label, its caption shown at screen rate.
class QtCaptioned : public WidgetControl<platform::Captioned> {
  public:
    using Show = std::function<void(const QString&)>;
    QtCaptioned(QWidget& widget, Show show);

    std::string caption() const override { return caption_.caption(); }
    void setCaption(const std::string& caption) override { caption_.setCaption(caption); }

  private:
    RateTimer timer_;
    RatedCaption caption_;
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
    explicit QtOptionButton(QRadioButton& button);
    bool value() const override;
    void setValue(bool selected) override;

  private:
    QRadioButton& button_;
};

// The bar, in kilobytes and at screen rate.
class QtProgressBar : public WidgetControl<platform::ProgressBarView> {
  public:
    explicit QtProgressBar(QProgressBar& bar);
    void setRange(float minimum, float maximum) override { progress_.setRange(minimum, maximum); }
    void setValue(float value) override { progress_.setValue(value); }

  private:
    RateTimer timer_;
    RatedProgress progress_;
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

  private:
    QWidget& window_;
};

}  // namespace quibrant::qt
