#include "qt/WindowLayout.h"

#include <QFontMetrics>
#include <QPixmap>

#include "platform/Controls.h"
#include "qt/KeyPreview.h"
#include "qt/Units.h"

namespace quibrant::qt {

namespace {

constexpr platform::Color kFrameColor = 0xC0C0C0;
constexpr platform::Color kOptionBackColor = 0x808080;
constexpr platform::Color kOptionTextColor = 0x404040;
constexpr platform::Color kCommand1Color = 0x00FF00;  // green
constexpr platform::Color kCommand2Color = 0xC0FFC0;  // light green
constexpr platform::Color kCommand3Color = 0xC0FFFF;  // light yellow

constexpr const char* kSourceFolderLabel = "Carpeta Origen";
constexpr const char* kSourceFileLabel = "Fichero Origen";
constexpr const char* kDestinationLabel = "Fichero Destino";
constexpr const char* kCodeLabel = "Contraseña";
constexpr const char* kServer1Caption = "Servidor-1";
constexpr const char* kServer2Caption = "Servidor-2";
constexpr const char* kCommand1Caption = "Descargar e Instalar";
constexpr const char* kCommand2Caption = "Solo Descargar";
// The spaces break the caption into "Solo" over "Instalar" on the button.
constexpr const char* kCommand3Caption = "  Solo   Instalar";
constexpr const char* kCommand3Name = "Solo Instalar";
constexpr const char* kFolderToolTip = "Carpeta fichero temporales.";
constexpr const char* kFolderPictureName = "Cambiar la carpeta de destino";
// One name for both padlocks: a click acts on the mask, whichever is shown.
constexpr const char* kPadlockName = "Mostrar u ocultar la contraseña";
constexpr const char* kProgressName = "Progreso de la descarga";

constexpr const char* kClosedPadlock = ":/artwork/padlock-closed.xpm";
constexpr const char* kOpenPadlock = ":/artwork/padlock-open.xpm";
constexpr const char* kFolderArrows = ":/artwork/folder-arrows.xpm";

void place(QWidget& widget, const char* name, int left, int top, int width, int height) {
    widget.setObjectName(QString::fromLatin1(name));
    widget.setGeometry(pixelRect(left, top, width, height));
}

void setLabel(QLabel& label, const char* caption) {
    label.setText(QString::fromUtf8(caption));
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

// An input takes its accessible name from the label in front of it, and the
// label points at it so that screen readers pair them.
void labelInput(QLabel& label, QWidget& input, const char* caption) {
    label.setBuddy(&input);
    input.setAccessibleName(QString::fromUtf8(caption));
}

// The layout is in fixed pixels, built for a narrow classic dialog font. With a
// wider font a label would run under the box beside it, so it is narrowed
// just enough to end before the box.
void fitBefore(QLabel& label, const QWidget& next) {
    constexpr int kGap = 1;
    constexpr int kNarrowestStretch = 70;
    const int available = next.x() - label.x() - kGap;
    QFont font = label.font();
    for (int stretch = 100; stretch >= kNarrowestStretch; stretch -= 5) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(label.text()) <= available) {
            break;
        }
    }
    label.setFont(font);
}

void setColors(QWidget& widget, platform::Color back, platform::Color text) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, toQColor(back));
    palette.setColor(QPalette::WindowText, toQColor(text));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void setPicture(PictureButton& picture, const char* name) {
    picture.setAccessibleName(QString::fromUtf8(name));
    picture.setProperty(KeyPreview::kOwnEnterProperty, true);
}

}  // namespace

WindowLayout::WindowLayout(QWidget& window)
    : Frame2(toQColor(kFrameColor), &window),
      Label1_2(&Frame2),
      Text3(&Frame2),
      Option1_0(QString::fromUtf8(kServer1Caption), &Frame2),
      Option1_1(QString::fromUtf8(kServer2Caption), &Frame2),
      Label1_0(&Frame2),
      Text1(&Frame2),
      Label1_1(&Frame2),
      Text2(&Frame2),
      Picture2(QPixmap(QString::fromLatin1(kFolderArrows)), &Frame2),
      Label1_3(&Frame2),
      Text4(&Frame2),
      Picture1_0(QPixmap(QString::fromLatin1(kClosedPadlock)), &Frame2),
      Picture1_1(QPixmap(QString::fromLatin1(kOpenPadlock)), &Frame2),
      Command1(QString::fromUtf8(kCommand1Caption), toQColor(kCommand1Color), &Frame2),
      Command2(QString::fromUtf8(kCommand2Caption), toQColor(kCommand2Color), &Frame2),
      Command3(QString::fromUtf8(kCommand3Caption), toQColor(kCommand3Color), &Frame2),
      Label2(&Frame2),
      Frame1(toQColor(kFrameColor), &window),
      ProgressBar1(&Frame1) {
    place(Frame2, "Frame2", -15, 0, 9780, 2130);
    place(Frame1, "Frame1", 0, 2130, 9765, 510);
    place(ProgressBar1, "ProgressBar1", 45, 225, 9675, 225);
    place(Label1_2, "Label1_2", 75, 240, 1275, 315);
    place(Text3, "Text3", 1245, 195, 7125, 285);
    place(Option1_0, "Option1_0", 8415, 135, 1215, 195);
    place(Option1_1, "Option1_1", 8415, 345, 1215, 195);
    place(Label1_0, "Label1_0", 75, 585, 1275, 315);
    place(Text1, "Text1", 1245, 555, 8385, 285);
    place(Label1_1, "Label1_1", 75, 945, 2160, 315);
    place(Text2, "Text2", 1245, 900, 8085, 285);
    place(Picture2, "Picture2_0", 9330, 915, 300, 255);
    place(Label1_3, "Label1_3", 210, 1560, 930, 315);
    place(Text4, "Text4", 1230, 1515, 1185, 285);
    place(Picture1_0, "Picture1_0", 2415, 1500, 315, 300);
    place(Picture1_1, "Picture1_1", 2820, 1530, 315, 300);
    place(Command1, "Command1", 3690, 1410, 1155, 525);
    place(Command2, "Command2", 4875, 1410, 1155, 525);
    place(Command3, "Command3", 6030, 1410, 1155, 525);
    place(Label2, "Label2", 5655, 1950, 2265, 240);

    setLabel(Label1_2, kSourceFolderLabel);
    setLabel(Label1_0, kSourceFileLabel);
    setLabel(Label1_1, kDestinationLabel);
    setLabel(Label1_3, kCodeLabel);
    labelInput(Label1_2, Text3, kSourceFolderLabel);
    labelInput(Label1_0, Text1, kSourceFileLabel);
    labelInput(Label1_1, Text2, kDestinationLabel);
    labelInput(Label1_3, Text4, kCodeLabel);
    Label2.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fitBefore(Label1_2, Text3);
    fitBefore(Label1_0, Text1);
    fitBefore(Label1_1, Text2);
    fitBefore(Label1_3, Text4);
    // The "Carpeta Origen" row is there for the server set-up, not for the user.
    Label1_2.setVisible(false);

    Text4.setStyle(&codeMask);
    Text4.setEchoMode(QLineEdit::Password);

    setColors(Option1_0, kOptionBackColor, kOptionTextColor);
    setColors(Option1_1, kOptionBackColor, kOptionTextColor);

    setPicture(Picture1_0, kPadlockName);
    setPicture(Picture1_1, kPadlockName);
    setPicture(Picture2, kFolderPictureName);
    Picture2.setToolTip(QString::fromUtf8(kFolderToolTip));

    Command3.setAccessibleName(QString::fromUtf8(kCommand3Name));

    ProgressBar1.setTextVisible(false);
    ProgressBar1.setFocusPolicy(Qt::NoFocus);
    ProgressBar1.setAccessibleName(QString::fromUtf8(kProgressName));

    // Focus order of the controls that can take the focus; hidden ones are
    // passed over while hidden.
    QWidget* const order[] = {&Text4,    &Command1,   &Command2,   &Text3,
                              &Text1,    &Text2,      &Picture1_0, &Command3,
                              &Picture2, &Picture1_1, &Option1_0,  &Option1_1};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

}  // namespace quibrant::qt
