#pragma once

#include <cstdint>
#include <string>

namespace quibrant::platform {

// Colours are 0x00BBGGRR values: the low byte is red.
using Color = std::uint32_t;

// The window's controls as the logic sees them. Each toolkit adapter implements
// these over its own widgets; positions and sizes are in twips.
class Control {
  public:
    virtual ~Control() = default;
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

class TextBox : public Control {
  public:
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    virtual Color backColor() const = 0;
    virtual void setBackColor(Color color) = 0;
    // "" when the box shows its text in clear, "*" when it masks it.
    virtual std::string passwordChar() const = 0;
    virtual void setPasswordChar(const std::string& mask) = 0;
    virtual void setFocus() = 0;
};

// A label or a frame: both carry one line of caption text.
class Captioned : public Control {
  public:
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
};

class PictureBox : public Control {
  public:
    virtual int left() const = 0;
    virtual int top() const = 0;
    virtual void move(int left, int top) = 0;
};

// Shows whether an option button is selected. Selecting one by code runs the
// form's click handler; the form does that itself, the view only shows it.
class OptionButton : public Control {
  public:
    virtual bool value() const = 0;
    virtual void setValue(bool selected) = 0;
};

// What the progress bar shows. The bar's own rules (range and value checks) are
// kept by the form's ProgressBar model, which drives this view.
class ProgressBarView : public Control {
  public:
    virtual void setRange(float minimum, float maximum) = 0;
    virtual void setValue(float value) = 0;
};

class Timer {
  public:
    virtual ~Timer() = default;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual int interval() const = 0;
};

// The window itself and its event loop.
class Window {
  public:
    virtual ~Window() = default;
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
    // Delivers one Tab key press to the window and returns once it has been
    // processed, focus handlers included.
    virtual void sendTab() = 0;
    // Lets the window process the events that are pending, then returns.
    virtual void doEvents() = 0;
};

}  // namespace quibrant::platform
