#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QProxyStyle>
#include <QString>
#include <QWidget>

namespace quibrant::qt {

// Masks a password box with asterisks, whatever character the desktop's style
// would use, so that the code box shows "*" as the program always has.
class AsteriskMaskStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// A frame as the classic desktop draws it: an etched rectangle filled with the
// frame's colour, its caption (if any) set into the top edge as plain text.
class CaptionFrame : public QWidget {
    Q_OBJECT
  public:
    CaptionFrame(const QColor& background, QWidget* parent);

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor background_;
    QString caption_;
};

// A push button drawn entirely in its own colour with a raised bevel, its
// caption wrapped onto as many lines as the button needs.
class ColorButton : public QAbstractButton {
    Q_OBJECT
  public:
    ColorButton(const QString& caption, const QColor& background, QWidget* parent);

    QColor background() const { return background_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor background_;
};

// A picture that acts as a button: it takes the focus from the keyboard, and
// Space on it clicks it as the mouse does. Enter is the window's: it moves the
// focus on, here as everywhere else.
class PictureButton : public QAbstractButton {
    Q_OBJECT
  public:
    PictureButton(const QPixmap& picture, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap picture_;
};

}  // namespace quibrant::qt
