#include "qt/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <utility>

namespace quibrant::qt {

KeyPreview::KeyPreview(QWidget& window, Handler handler)
    : window_(window), handler_(std::move(handler)) {
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || retyping_ || !watched->isWidgetType()) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != &window_) {
        return false;
    }
    // A key the focused control leaves alone travels on to its containers;
    // it was offered already when it reached the control.
    QWidget* focus = window_.focusWidget();
    if (focus != nullptr && focus != widget && widget->isAncestorOf(focus)) {
        return false;
    }

    auto* key = static_cast<QKeyEvent*>(event);
    // Tab and Backtab move the focus; they are not characters typed.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->text().isEmpty()) {
        return false;
    }
    const std::uint32_t character = key->text().at(0).unicode();
    const std::uint32_t code = handler_(character);
    if (code == character) {
        return false;
    }
    if (code != 0) {
        QKeyEvent retyped(QEvent::KeyPress, 0, key->modifiers(),
                          QString(QChar(static_cast<char16_t>(code))));
        retyping_ = true;
        QCoreApplication::sendEvent(widget, &retyped);
        retyping_ = false;
    }
    return true;
}

}  // namespace quibrant::qt
