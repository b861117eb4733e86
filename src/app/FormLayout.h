#pragma once

#include <string_view>
#include <vector>

#include "platform/Controls.h"

namespace quibrant {

// The window's controls as the form defines them, whatever toolkit shows
// them: where each stands, what it shows, its colour and where the focus
// visits it. Places are in twips (1440 to the inch) inside the container.

// What a control is, and so which widget shows it.
enum class ControlKind { Frame, Label, TextBox, Option, Picture, Command, Progress };

struct ControlDef {
    const char* name;
    ControlKind kind;
    // Another control's name, or nullptr for the window itself.
    const char* container;
    int left, top, width, height;
    // The text it shows; for pictures and the progress bar, which show none,
    // the name screen readers read.
    const char* caption;
    // The character that masks a text box's contents, "" when it shows them.
    const char* passwordChar;
    bool visible;
    // Place in the focus order; -1 for controls that never take the focus.
    int tabIndex;
    platform::Color backColor;
};

// The window's client area, its colour and the colours the controls share.
inline constexpr int kClientWidth = 9765;
inline constexpr int kClientHeight = 2640;
inline constexpr platform::Color kWindowColor = 0xE0E0E0;
inline constexpr platform::Color kFrameColor = 0xC0C0C0;
inline constexpr platform::Color kOptionBackColor = 0x808080;
inline constexpr platform::Color kOptionTextColor = 0x404040;
// The system's window colour, which text boxes keep until first coloured.
inline constexpr platform::Color kSystemWindowColor = 0x80000005;

// The colour a disabled button's caption is drawn in on the button's own
// colour: the lightest shade of that colour that still reads on it (a
// contrast ratio of at least 4.5, as for body text), so the caption looks
// disabled without fading into a bright button.
platform::Color disabledTextColor(platform::Color background);

// The contrast ratio of two colours as accessibility guidelines measure it,
// from 1 (the same light) to 21 (black on white).
double contrastRatio(platform::Color a, platform::Color b);

// The character that masks the access code.
inline constexpr const char* kPasswordChar = "*";

// The watchdog's timer ticks twice a second.
inline constexpr int kTimer1IntervalMs = 500;

// Captions the form starts with; the windows show them until it replaces them.
inline constexpr const char* kFrame1Caption = "Pravelda";
inline constexpr const char* kLabel2Caption = "Stat";
inline constexpr const char* kFolderToolTip = "Carpeta fichero temporales.";

// Every control, in the order in which a window stacks them inside their
// container: boxes above the labels that reach under them, each label just
// before the box it names (the order in which screen readers pair them).
const std::vector<ControlDef>& formControls();

// The controls that can take the focus, in the order the focus visits them.
std::vector<const ControlDef*> formTabOrder();

// The control of that name ("Text4", "Picture2_0"); nullptr when there is none.
const ControlDef* formControl(std::string_view name);

}  // namespace quibrant
