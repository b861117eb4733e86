#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "app/DownloadForm.h"
#include "qt/DownloadWindow.h"
#include "window/WindowDriver.h"

namespace quibrant::test {

// The Qt window over the fakes, on the offscreen platform, driven with the
// toolkit's own key and mouse events (QTest), which pass through the
// application's event filters as a user's do.
class QtWindowDriver : public WindowDriver {
  public:
    std::unique_ptr<qt::DownloadWindow> window;

    QtWindowDriver()
        : WindowDriver("/tmp/quibrant-test-temp", "/home/user1",
                       "/home/user1/.wine/dosdevices/c:/") {}

    void start() override {
        window = std::make_unique<qt::DownloadWindow>(services(), inet, ServerConfig::builtIn());
        window->show();
        activate(*window);
    }
    DownloadForm& form() override { return window->form(); }

    void click(std::string_view control) override {
        QTest::mouseClick(&widget(control), Qt::LeftButton);
    }
    void type(std::string_view characters) override {
        QTest::keyClicks(focused(), qString(characters));
    }
    void press(Key key) override {
        const auto [code, modifiers] = qtKey(key);
        QTest::keyClick(focused(), code, modifiers);
    }
    void focus(std::string_view control) override { widget(control).setFocus(Qt::TabFocusReason); }
    std::string focusName() override {
        const QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName().toStdString() : std::string();
    }
    void setText(std::string_view box, std::string_view text) override {
        child<QLineEdit>(box).setText(qString(text));
    }
    void activateAnotherWindow() override {
        other_ = std::make_unique<QWidget>();
        other_->show();
        activate(*other_);
    }
    void activateAgain() override {
        activate(*window);
        other_.reset();
    }
    void close() override { window->close(); }
    void postClose() override { QTimer::singleShot(0, window.get(), &QWidget::close); }
    bool closed() override { return !window->isVisible(); }
    void pump() override { QCoreApplication::processEvents(); }

    std::string windowCaption() override { return window->windowTitle().toStdString(); }
    std::string text(std::string_view control) override {
        // The text of a box, a label or a button alike.
        const QVariant shown = widget(control).property("text");
        if (!shown.isValid()) {
            throw std::logic_error("the widget " + std::string(control) + " shows no text");
        }
        return shown.toString().toStdString();
    }
    std::string mask(std::string_view box) override {
        const QLineEdit& edit = child<QLineEdit>(box);
        if (edit.echoMode() == QLineEdit::Normal) {
            return "";
        }
        if (edit.echoMode() != QLineEdit::Password) {
            return "(echo mode " + std::to_string(edit.echoMode()) + ")";
        }
        // The character the box's style masks with, not the desktop's dot.
        const int masking =
            edit.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &edit);
        return QString(QChar(masking)).toStdString();
    }
    platform::Color backColor(std::string_view box) override {
        return color(child<QLineEdit>(box).palette().color(QPalette::Base));
    }
    platform::Color standardBoxColor() override {
        return color(QApplication::palette().color(QPalette::Base));
    }
    bool visible(std::string_view control) override { return widget(control).isVisible(); }
    bool enabled(std::string_view control) override { return widget(control).isEnabled(); }
    bool checked(std::string_view option) override {
        return child<QRadioButton>(option).isChecked();
    }

    // The window's widget of that name.
    template <typename T>
    T& child(std::string_view name) {
        T* found = window->findChild<T*>(qString(name));
        if (found == nullptr) {
            throw std::logic_error("no widget named " + std::string(name));
        }
        return *found;
    }
    QWidget& widget(std::string_view name) { return child<QWidget>(name); }

    static platform::Color color(const QColor& c) {
        return static_cast<platform::Color>(c.red() | c.green() << 8 | c.blue() << 16);
    }

  private:
    // The key and modifiers the toolkit reports for a key pressed.
    static std::pair<Qt::Key, Qt::KeyboardModifiers> qtKey(Key key) {
        switch (key) {
            case Key::Enter:
                return {Qt::Key_Return, Qt::NoModifier};
            case Key::KeypadEnter:
                return {Qt::Key_Enter, Qt::KeypadModifier};
            case Key::Tab:
                return {Qt::Key_Tab, Qt::NoModifier};
            case Key::BackTab:
                return {Qt::Key_Backtab, Qt::ShiftModifier};
            case Key::Space:
                break;
        }
        return {Qt::Key_Space, Qt::NoModifier};
    }
    static QString qString(std::string_view text) {
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    static void activate(QWidget& top) {
        top.activateWindow();
        if (!QTest::qWaitForWindowActive(&top)) {
            throw std::runtime_error("the window did not become active");
        }
    }
    QWidget* focused() {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus : window.get();
    }

    std::unique_ptr<QWidget> other_;
};

}  // namespace quibrant::test
