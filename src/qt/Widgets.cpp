#include "qt/Widgets.h"

#include <QPainter>

#include "app/FormLayout.h"
#include "qt/Units.h"

namespace quibrant::qt {

namespace {

// The classic three-dimensional palette the frames and buttons are drawn with.
const QColor kHighlight(0xFF, 0xFF, 0xFF);
const QColor kShadow(0x80, 0x80, 0x80);
const QColor kDarkShadow(0x00, 0x00, 0x00);
const QColor kText(0x00, 0x00, 0x00);
const QColor kDisabledText(0x80, 0x80, 0x80);
constexpr int kCaptionIndent = 6;
constexpr int kCaptionPadding = 2;
constexpr int kFocusInset = 4;

void drawFocusRect(QPainter& painter, const QRect& rect) {
    QPen pen(kText, 1, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

}  // namespace

CaptionFrame::CaptionFrame(const QColor& background, QWidget* parent)
    : QWidget(parent), background_(background) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CaptionFrame::setCaption(const QString& caption) {
    if (caption == caption_) {
        return;
    }
    caption_ = caption;
    update();
}

void CaptionFrame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);

    const QFontMetrics metrics = fontMetrics();
    const int edge = metrics.height() / 2;
    const int right = width() - 2;
    const int bottom = height() - 2;
    // Etched: a shadow line with a highlight line one pixel below and right.
    painter.setPen(kShadow);
    painter.drawRect(QRect(QPoint(0, edge), QPoint(right, bottom)));
    painter.setPen(kHighlight);
    painter.drawLine(1, edge + 1, right - 1, edge + 1);
    painter.drawLine(1, edge + 1, 1, bottom - 1);
    painter.drawLine(0, bottom + 1, right + 1, bottom + 1);
    painter.drawLine(right + 1, edge, right + 1, bottom + 1);

    if (caption_.isEmpty()) {
        return;
    }
    const QString shown = metrics.elidedText(caption_, Qt::ElideRight,
                                             width() - 2 * (kCaptionIndent + kCaptionPadding));
    QRect textRect(kCaptionIndent, 0, metrics.horizontalAdvance(shown) + 2 * kCaptionPadding,
                   metrics.height());
    painter.fillRect(textRect, background_);
    painter.setPen(isEnabled() ? kText : kDisabledText);
    painter.drawText(textRect, Qt::AlignCenter, shown);
}

ColorButton::ColorButton(const QString& caption, const QColor& background, QWidget* parent)
    : QAbstractButton(parent), background_(background) {
    setText(caption);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Grey would fade into a bright button: a disabled caption is a darker
    // shade of the button's own colour instead.
    const auto rgb = static_cast<platform::Color>(background.red()) |
                     static_cast<platform::Color>(background.green()) << 8 |
                     static_cast<platform::Color>(background.blue()) << 16;
    QPalette colors = palette();
    colors.setColor(QPalette::Active, QPalette::ButtonText, kText);
    colors.setColor(QPalette::Inactive, QPalette::ButtonText, kText);
    colors.setColor(QPalette::Disabled, QPalette::ButtonText, toQColor(disabledTextColor(rgb)));
    setPalette(colors);
}

void ColorButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, background_);

    const int r = all.right();
    const int b = all.bottom();
    if (isDown()) {
        painter.setPen(kDarkShadow);
        painter.drawRect(all.adjusted(0, 0, -1, -1));
        painter.setPen(kShadow);
        painter.drawRect(all.adjusted(1, 1, -2, -2));
    } else {
        painter.setPen(kHighlight);
        painter.drawLine(0, 0, r - 1, 0);
        painter.drawLine(0, 0, 0, b - 1);
        painter.setPen(kDarkShadow);
        painter.drawLine(0, b, r, b);
        painter.drawLine(r, 0, r, b);
        painter.setPen(kShadow);
        painter.drawLine(1, b - 1, r - 1, b - 1);
        painter.drawLine(r - 1, 1, r - 1, b - 1);
    }

    const int shift = isDown() ? 1 : 0;
    const QRect textRect = all.adjusted(3 + shift, 2 + shift, -3 + shift, -2 + shift);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, text());

    if (hasFocus()) {
        drawFocusRect(painter, all.adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset));
    }
}

PictureButton::PictureButton(const QPixmap& picture, QWidget* parent)
    : QAbstractButton(parent), picture_(picture) {
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (!isEnabled()) {
        painter.setOpacity(0.5);
    }
    const QSize size = picture_.deviceIndependentSize().toSize();
    const QPoint origin((width() - size.width()) / 2, (height() - size.height()) / 2);
    painter.drawPixmap(origin, picture_);
    painter.setOpacity(1.0);
    if (hasFocus()) {
        drawFocusRect(painter, rect());
    }
}

}  // namespace quibrant::qt
