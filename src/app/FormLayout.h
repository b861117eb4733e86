#pragma once

#include <string_view>
#include <vector>

#include "app/ControlTable.h"
#include "platform/Controls.h"

namespace quibrant {

// The window's controls as the form defines them, whatever toolkit shows
// them: where each stands, what it shows, its colour and where the focus
// visits it. Places are in twips (1440 to the inch) inside the container.

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

// The window's client area.
inline constexpr int kClientWidth = 9765;
inline constexpr int kClientHeight = 2640;

// The colour a disabled button's caption is drawn in on the button's own
// colour: the lightest shade of that colour that still reads on it (a
// contrast ratio of at least 4.5, as for body text), so the caption looks
// disabled without fading into a bright button.
platform::Color disabledTextColor(platform::Color background);

// The contrast ratio of two colours as accessibility guidelines measure it,
// from 1 (the same light) to 21 (black on white).
double contrastRatio(platform::Color a, platform::Color b);

// The watchdog's timer ticks twice a second.
inline constexpr int kTimer1IntervalMs = 500;

// The folder picture's tool tip.
inline constexpr const char* kFolderToolTip = "Carpeta fichero temporales.";

// Every control, as the control table lists them.
const std::vector<ControlDef>& formControls();

// The controls that can take the focus, in the order the focus visits them.
std::vector<const ControlDef*> formTabOrder();

// The control of that name ("Text4", "Picture2_0"); nullptr when there is none.
const ControlDef* formControl(std::string_view name);

}  // namespace quibrant
