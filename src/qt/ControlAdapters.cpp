#include "qt/ControlAdapters.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <utility>

#include "app/FormLayout.h"
#include "qt/Units.h"

namespace quibrant::qt {

namespace {

// Colours with the top bit set name a system colour rather than a value.
constexpr platform::Color kSystemColorFlag = 0x80000000;

}  // namespace

RateTimer::RateTimer(std::function<void()> tick) {
    timer_.setInterval(ScreenRateUpdate::kIntervalMs);
    timer_.setTimerType(Qt::CoarseTimer);
    QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
}

ScreenRateUpdate::RunTimer RateTimer::runner() {
    return [this](bool run) {
        if (run) {
            timer_.start();
        } else {
            timer_.stop();
        }
        return run;
    };
}

QtTextBox::QtTextBox(QLineEdit& edit) : WidgetControl(edit), edit_(edit) {}

std::string QtTextBox::text() const {
    return edit_.text().toStdString();
}

void QtTextBox::setText(const std::string& text) {
    edit_.setText(QString::fromStdString(text));
}

platform::Color QtTextBox::backColor() const {
    // The system's window colour until the box is first coloured.
    return backColor_.value_or(kSystemWindowColor);
}

void QtTextBox::setBackColor(platform::Color color) {
    backColor_ = color;
    QPalette palette = edit_.palette();
    if ((color & kSystemColorFlag) != 0) {
        palette.setColor(QPalette::Base, QApplication::palette(&edit_).color(QPalette::Base));
    } else {
        palette.setColor(QPalette::Base, toQColor(color));
    }
    edit_.setPalette(palette);
}

std::string QtTextBox::passwordChar() const {
    return edit_.echoMode() == QLineEdit::Normal ? std::string() : std::string(kPasswordChar);
}

void QtTextBox::setPasswordChar(const std::string& mask) {
    edit_.setEchoMode(mask.empty() ? QLineEdit::Normal : QLineEdit::Password);
}

void QtTextBox::setFocus() {
    edit_.setFocus(Qt::OtherFocusReason);
}

QtCaptioned::QtCaptioned(QWidget& widget, Show show)
    : WidgetControl(widget),
      timer_([this] { caption_.update().onTimer(); }),
      caption_([show = std::move(show)](
                   const std::string& caption) { show(QString::fromStdString(caption)); },
               timer_.runner()) {}

int QtPictureBox::left() const {
    return twips(widget_.x());
}
int QtPictureBox::top() const {
    return twips(widget_.y());
}
void QtPictureBox::move(int left, int top) {
    widget_.move(pixels(left), pixels(top));
}

QtOptionButton::QtOptionButton(QRadioButton& button) : WidgetControl(button), button_(button) {}

bool QtOptionButton::value() const {
    return button_.isChecked();
}

void QtOptionButton::setValue(bool selected) {
    // An exclusive radio button refuses to be cleared directly; clearing one
    // by code must still work.
    const bool exclusive = button_.autoExclusive();
    if (!selected) {
        button_.setAutoExclusive(false);
    }
    button_.setChecked(selected);
    button_.setAutoExclusive(exclusive);
}

QtProgressBar::QtProgressBar(QProgressBar& bar)
    : WidgetControl(bar),
      timer_([this] { progress_.update().onTimer(); }),
      progress_(
          [&bar](const ShownProgress& shown, bool newMaximum) {
              if (newMaximum) {
                  bar.setRange(0, shown.maximum);
              }
              bar.setValue(shown.value);
          },
          timer_.runner()) {}

QtTimer::QtTimer(int intervalMs, std::function<void()> tick) {
    timer_.setInterval(intervalMs);
    QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
}

void QtTimer::setEnabled(bool enabled) {
    if (enabled) {
        // Enabling a running timer leaves its rhythm alone.
        if (!timer_.isActive()) {
            timer_.start();
        }
    } else {
        timer_.stop();
    }
}

std::string QtWindow::caption() const {
    return window_.windowTitle().toStdString();
}

void QtWindow::setCaption(const std::string& caption) {
    window_.setWindowTitle(QString::fromStdString(caption));
}

void QtWindow::sendTab() {
    // The key goes where a typed key would: the window's focused control.
    QWidget* target = window_.focusWidget();
    if (target == nullptr) {
        target = &window_;
    }
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(target, &tab);
}

void QtWindow::doEvents() {
    QCoreApplication::processEvents();
}

}  // namespace quibrant::qt
