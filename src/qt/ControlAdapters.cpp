#include "qt/ControlAdapters.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <utility>

#include "qt/Units.h"

namespace quibrant::qt {

namespace {

constexpr const char* kMask = "*";
// Colours with the top bit set name a system colour rather than a value.
constexpr platform::Color kSystemColorFlag = 0x80000000;
constexpr double kBytesPerKilobyte = 1024.0;

int kilobytes(double bytes) {
    return static_cast<int>(std::lround(std::max(0.0, bytes) / kBytesPerKilobyte));
}

}  // namespace

QtTextBox::QtTextBox(QLineEdit& edit, bool visible) : WidgetControl(edit, visible), edit_(edit) {}

std::string QtTextBox::text() const {
    return edit_.text().toStdString();
}

void QtTextBox::setText(const std::string& text) {
    edit_.setText(QString::fromStdString(text));
}

platform::Color QtTextBox::backColor() const {
    return backColor_.value_or(kDefaultBackground);
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
    return edit_.echoMode() == QLineEdit::Normal ? std::string() : std::string(kMask);
}

void QtTextBox::setPasswordChar(const std::string& mask) {
    edit_.setEchoMode(mask.empty() ? QLineEdit::Normal : QLineEdit::Password);
}

void QtTextBox::setFocus() {
    edit_.setFocus(Qt::OtherFocusReason);
}

QtCaptioned::QtCaptioned(QWidget& widget, bool visible, std::string caption, Show show)
    : WidgetControl(widget, visible),
      caption_(std::move(caption)),
      show_(std::move(show)),
      update_([this] { show_(QString::fromStdString(caption_)); }) {
    show_(QString::fromStdString(caption_));
}

int QtPictureBox::left() const {
    return twips(widget_.x());
}
int QtPictureBox::top() const {
    return twips(widget_.y());
}
void QtPictureBox::move(int left, int top) {
    widget_.move(pixels(left), pixels(top));
}

QtOptionButton::QtOptionButton(QRadioButton& button, bool visible)
    : WidgetControl(button, visible), button_(button) {}

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

QtProgressBar::QtProgressBar(QProgressBar& bar, bool visible)
    : WidgetControl(bar, visible), bar_(bar), update_([this] { showProgress(); }) {
    showProgress();
}

void QtProgressBar::setRange(float minimum, float maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    update_.request();
}

void QtProgressBar::showProgress() {
    const int top = std::max(1, kilobytes(static_cast<double>(maximum_) - minimum_));
    const double span = static_cast<double>(maximum_) - minimum_;
    const double share = span > 0 ? (static_cast<double>(value_) - minimum_) / span : 0.0;
    const int shown = static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * top));
    if (bar_.maximum() != top) {
        bar_.setRange(0, top);
    }
    bar_.setValue(shown);
}

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
    rounds_.run([] { QCoreApplication::processEvents(); });
}

}  // namespace quibrant::qt
