#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QWidget>

#include "app/FormLayout.h"
#include "qt/Widgets.h"

namespace quibrant::qt {

// Every widget of the download window at its place, with its caption, colours,
// tab order and accessible name. Containers come first so that they outlive
// the widgets they hold. Each widget's object name is the control's name.
struct WindowLayout {
    explicit WindowLayout(QWidget& window);
    WindowLayout(const WindowLayout&) = delete;
    WindowLayout& operator=(const WindowLayout&) = delete;

    // Declared first: the code box uses it until the box is gone.
    AsteriskMaskStyle codeMask;
    CaptionFrame Frame2;
    QLabel Label1_2;
    QLineEdit Text3;
    QRadioButton Option1_0;
    QRadioButton Option1_1;
    QLabel Label1_0;
    QLineEdit Text1;
    QLabel Label1_1;
    QLineEdit Text2;
    PictureButton Picture2;
    QLabel Label1_3;
    QLineEdit Text4;
    PictureButton Picture1_0;
    PictureButton Picture1_1;
    ColorButton Command1;
    ColorButton Command2;
    ColorButton Command3;
    QLabel Label2;
    CaptionFrame Frame1;
    QProgressBar ProgressBar1;

  private:
    void labelInputs();
    void dressControls();
    void orderFocus(QWidget& window);
};

}  // namespace quibrant::qt
