#include "qt/WindowLayout.h"

#include <QFontMetrics>
#include <QPixmap>

#include "platform/Controls.h"
#include "qt/Units.h"

namespace quibrant::qt {

namespace {

// Screen readers read "Solo Instalar": the caption's spaces only lay it out.
constexpr const char* kCommand3Name = "Solo Instalar";

// A picture compiled in with the program's artwork.
QPixmap artwork(const char* file) {
    return QPixmap(QStringLiteral(":/artwork/") + QString::fromLatin1(file));
}

const ControlDef& control(const char* name) {
    return *formControl(name);
}

QString captionOf(const char* name) {
    return QString::fromUtf8(control(name).caption);
}

QColor colorOf(const char* name) {
    return toQColor(control(name).backColor);
}

// Each widget at its place, shown or hidden as the window starts.
void place(QWidget& widget, const char* name) {
    const ControlDef& def = control(name);
    widget.setObjectName(QString::fromLatin1(name));
    widget.setGeometry(pixelRect(def.left, def.top, def.width, def.height));
    widget.setVisible(def.visible);
}

void setLabel(QLabel& label, const char* name) {
    label.setText(captionOf(name));
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

// An input takes its accessible name from the label in front of it, and the
// label points at it so that screen readers pair them.
void labelInput(QLabel& label, QWidget& input) {
    label.setBuddy(&input);
    input.setAccessibleName(label.text());
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

void setPicture(PictureButton& picture) {
    picture.setAccessibleName(captionOf(picture.objectName().toLatin1().constData()));
}

}  // namespace

WindowLayout::WindowLayout(QWidget& window)
    : Frame2(toQColor(kFrameColor), &window),
      Label1_2(&Frame2),
      Text3(&Frame2),
      Option1_0(captionOf("Option1_0"), &Frame2),
      Option1_1(captionOf("Option1_1"), &Frame2),
      Label1_0(&Frame2),
      Text1(&Frame2),
      Label1_1(&Frame2),
      Text2(&Frame2),
      Picture2(artwork("folder-arrows.xpm"), &Frame2),
      Label1_3(&Frame2),
      Text4(&Frame2),
      Picture1_0(artwork("padlock-closed.xpm"), &Frame2),
      Picture1_1(artwork("padlock-open.xpm"), &Frame2),
      Command1(captionOf("Command1"), colorOf("Command1"), &Frame2),
      Command2(captionOf("Command2"), colorOf("Command2"), &Frame2),
      Command3(captionOf("Command3"), colorOf("Command3"), &Frame2),
      Label2(&Frame2),
      Frame1(toQColor(kFrameColor), &window),
      ProgressBar1(&Frame1) {
    const std::pair<QWidget*, const char*> widgets[] = {
        {&Frame2, "Frame2"},         {&Frame1, "Frame1"},     {&ProgressBar1, "ProgressBar1"},
        {&Label1_2, "Label1_2"},     {&Text3, "Text3"},       {&Option1_0, "Option1_0"},
        {&Option1_1, "Option1_1"},   {&Label1_0, "Label1_0"}, {&Text1, "Text1"},
        {&Label1_1, "Label1_1"},     {&Text2, "Text2"},       {&Picture2, "Picture2_0"},
        {&Label1_3, "Label1_3"},     {&Text4, "Text4"},       {&Picture1_0, "Picture1_0"},
        {&Picture1_1, "Picture1_1"}, {&Command1, "Command1"}, {&Command2, "Command2"},
        {&Command3, "Command3"},     {&Label2, "Label2"}};
    for (const auto& [widget, name] : widgets) {
        place(*widget, name);
    }
    labelInputs();
    dressControls();
    orderFocus(window);
}

void WindowLayout::labelInputs() {
    const std::pair<QLabel*, QLineEdit*> pairs[] = {
        {&Label1_2, &Text3}, {&Label1_0, &Text1}, {&Label1_1, &Text2}, {&Label1_3, &Text4}};
    for (const auto& [label, input] : pairs) {
        setLabel(*label, label->objectName().toLatin1().constData());
        labelInput(*label, *input);
        fitBefore(*label, *input);
    }
    Label2.setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void WindowLayout::dressControls() {
    Text4.setStyle(&codeMask);
    setColors(Option1_0, kOptionBackColor, kOptionTextColor);
    setColors(Option1_1, kOptionBackColor, kOptionTextColor);
    setPicture(Picture1_0);
    setPicture(Picture1_1);
    setPicture(Picture2);
    Picture2.setToolTip(QString::fromUtf8(kFolderToolTip));
    Command3.setAccessibleName(QString::fromUtf8(kCommand3Name));
    ProgressBar1.setTextVisible(false);
    ProgressBar1.setFocusPolicy(Qt::NoFocus);
    ProgressBar1.setAccessibleName(captionOf("ProgressBar1"));
}

// Focus order of the controls that can take the focus; hidden ones are
// passed over while hidden.
void WindowLayout::orderFocus(QWidget& window) {
    QWidget* previous = nullptr;
    for (const ControlDef* def : formTabOrder()) {
        QWidget* widget = window.findChild<QWidget*>(QString::fromLatin1(def->name));
        if (previous != nullptr && widget != nullptr) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

}  // namespace quibrant::qt
