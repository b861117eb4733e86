#pragma once

#include "platform/Controls.h"

namespace quibrant {

// What a control is, and so which widget shows it and which of the form's
// views of a control drives it.
enum class ControlKind { Frame, Label, TextBox, Option, Picture, Command, Progress };

// The form's view of a control of each kind.
struct ControlViews {
    using Frame = platform::Captioned;
    using Label = platform::Captioned;
    using TextBox = platform::TextBox;
    using Option = platform::OptionButton;
    using Picture = platform::PictureBox;
    using Command = platform::Control;
    using Progress = platform::ProgressBarView;
};

// The window's colours and the colours the controls share.
inline constexpr platform::Color kWindowColor = 0xE0E0E0;
inline constexpr platform::Color kFrameColor = 0xC0C0C0;
inline constexpr platform::Color kOptionBackColor = 0x808080;
inline constexpr platform::Color kOptionTextColor = 0x404040;
// The system's window colour, which text boxes keep until first coloured.
inline constexpr platform::Color kSystemWindowColor = 0x80000005;
inline constexpr platform::Color kCommand1Color = 0x00FF00;  // green
inline constexpr platform::Color kCommand2Color = 0xC0FFC0;  // light green
inline constexpr platform::Color kCommand3Color = 0xC0FFFF;  // light yellow

// The character that masks the access code.
inline constexpr const char* kPasswordChar = "*";

// What the controls show. Captions the form replaces (the frame's, the
// status line's) are shown until it does.
inline constexpr const char* kFrame1Caption = "Pravelda";
inline constexpr const char* kLabel2Caption = "Stat";
inline constexpr const char* kSourceFolderLabel = "Carpeta Origen";
inline constexpr const char* kSourceFileLabel = "Fichero Origen";
inline constexpr const char* kDestinationLabel = "Fichero Destino";
inline constexpr const char* kCodeLabel = "Contraseña";
inline constexpr const char* kServer1Caption = "Servidor-1";
inline constexpr const char* kServer2Caption = "Servidor-2";
inline constexpr const char* kCommand1Caption = "Descargar e Instalar";
inline constexpr const char* kCommand2Caption = "Solo Descargar";
// The spaces break the caption into "Solo" over "Instalar" on the button.
inline constexpr const char* kCommand3Caption = "  Solo   Instalar";
// Pictures and the bar show no caption: theirs is the name screen readers
// read. One name for both padlocks: a click acts on the mask, whichever shows.
inline constexpr const char* kFolderPictureName = "Cambiar la carpeta de destino";
inline constexpr const char* kPadlockName = "Mostrar u ocultar la contraseña";
inline constexpr const char* kProgressName = "Progreso de la descarga";

// Every control of the window, once, in the order in which a window stacks
// them inside their container: boxes above the labels that reach under them,
// each label just before the box it names (the order in which screen readers
// pair them). The form's controls, the host's lookup by name, both windows'
// widgets and the tests' fakes are all made from this list.
//
// X(name, kind, container, left, top, width, height, caption, passwordChar,
//   visible, tabIndex, backColor, click)
// - name: the control's name, as the form's code and the windows call it;
//   elements of a control array end in their index ("Picture1_0").
// - container: another control's name, or nullptr for the window itself.
// - left, top, width, height: in twips (1440 to the inch) in the container.
// - tabIndex: place in the focus order; -1 for controls never focused.
// - click: what a click on it runs, as the host calls it: Click(handler),
//   ClickIndex(handler, index), SelectOption(index), or NoClick.
// clang-format off
#define QUIBRANT_FORM_CONTROLS(X)                                                                 \
    X(Frame1, Frame, nullptr, 0, 2130, 9765, 510, kFrame1Caption, "", false, -1, kFrameColor,     \
      NoClick)                                                                                    \
    X(ProgressBar1, Progress, "Frame1", 45, 225, 9675, 225, kProgressName, "", true, -1, 0,       \
      NoClick)                                                                                    \
    X(Frame2, Frame, nullptr, -15, 0, 9780, 2130, "", "", true, -1, kFrameColor, NoClick)         \
    X(Label1_3, Label, "Frame2", 210, 1560, 930, 315, kCodeLabel, "", true, -1, kFrameColor,      \
      NoClick)                                                                                    \
    X(Text4, TextBox, "Frame2", 1230, 1515, 1185, 285, "", kPasswordChar, true, 0,                \
      kSystemWindowColor, NoClick)                                                                \
    X(Command1, Command, "Frame2", 3690, 1410, 1155, 525, kCommand1Caption, "", true, 1,          \
      kCommand1Color, Click(Command1_Click))                                                      \
    X(Command2, Command, "Frame2", 4875, 1410, 1155, 525, kCommand2Caption, "", true, 2,          \
      kCommand2Color, Click(Command2_Click))                                                      \
    X(Label1_2, Label, "Frame2", 75, 240, 1275, 315, kSourceFolderLabel, "", false, -1,           \
      kFrameColor, NoClick)                                                                       \
    X(Text3, TextBox, "Frame2", 1245, 195, 7125, 285, "", "", false, 3, kSystemWindowColor,       \
      NoClick)                                                                                    \
    X(Label1_0, Label, "Frame2", 75, 585, 1275, 315, kSourceFileLabel, "", true, -1, kFrameColor, \
      NoClick)                                                                                    \
    X(Text1, TextBox, "Frame2", 1245, 555, 8385, 285, "", "", true, 4, kSystemWindowColor,        \
      NoClick)                                                                                    \
    X(Label1_1, Label, "Frame2", 75, 945, 2160, 315, kDestinationLabel, "", true, -1,             \
      kFrameColor, NoClick)                                                                       \
    X(Text2, TextBox, "Frame2", 1245, 900, 8085, 285, "", "", true, 5, kSystemWindowColor,        \
      NoClick)                                                                                    \
    X(Label2, Label, "Frame2", 5655, 1950, 2265, 240, kLabel2Caption, "", false, -1, kFrameColor, \
      NoClick)                                                                                    \
    X(Picture1_0, Picture, "Frame2", 2415, 1500, 315, 300, kPadlockName, "", true, 14,            \
      kFrameColor, ClickIndex(Picture1_Click, 0))                                                 \
    X(Command3, Command, "Frame2", 6030, 1410, 1155, 525, kCommand3Caption, "", true, 15,         \
      kCommand3Color, Click(Command3_Click))                                                      \
    X(Picture2_0, Picture, "Frame2", 9330, 915, 300, 255, kFolderPictureName, "", true, 16,       \
      kFrameColor, ClickIndex(Picture2_Click, 0))                                                 \
    X(Picture1_1, Picture, "Frame2", 2820, 1530, 315, 300, kPadlockName, "", false, 17,           \
      kFrameColor, ClickIndex(Picture1_Click, 1))                                                 \
    X(Option1_0, Option, "Frame2", 8415, 135, 1215, 195, kServer1Caption, "", false, 18,          \
      kOptionBackColor, SelectOption(0))                                                          \
    X(Option1_1, Option, "Frame2", 8415, 345, 1215, 195, kServer2Caption, "", false, 19,          \
      kOptionBackColor, SelectOption(1))
// clang-format on

// Expands to one of the form's views per control, typed by its kind:
// `platform::TextBox* Text4 = nullptr;` and so on. For the structs whose
// members carry the controls' names.
#define QUIBRANT_CONTROL_VIEW_MEMBER(name, kind, ...) \
    ::quibrant::ControlViews::kind* name = nullptr;

}  // namespace quibrant
