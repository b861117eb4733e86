#include "app/WindowHost.h"

#include <limits>
#include <utility>

#include "app/FormLayout.h"

namespace quibrant {

namespace {

using Handler = void (DownloadForm::*)();

// What the form runs when a text box gains or loses the focus.
struct FocusHandlers {
    std::string_view box;
    Handler gotFocus;
    Handler lostFocus;
};

// One row per text box of the control table; no other kind of control tells
// the form of its focus.
#define QUIBRANT_FOCUS_TextBox(name) \
    FocusHandlers{#name, &DownloadForm::name##_GotFocus, &DownloadForm::name##_LostFocus},
#define QUIBRANT_FOCUS_Frame(name)
#define QUIBRANT_FOCUS_Label(name)
#define QUIBRANT_FOCUS_Option(name)
#define QUIBRANT_FOCUS_Picture(name)
#define QUIBRANT_FOCUS_Command(name)
#define QUIBRANT_FOCUS_Progress(name)
#define QUIBRANT_FOCUS_ROW(name, kind, ...) QUIBRANT_FOCUS_##kind(name)
constexpr FocusHandlers kFocusHandlers[] = {QUIBRANT_FORM_CONTROLS(QUIBRANT_FOCUS_ROW)};

// The focus handlers of the text box of that name; nullptr for any other control.
const FocusHandlers* focusHandlersOf(std::string_view control) {
    for (const FocusHandlers& handlers : kFocusHandlers) {
        if (handlers.box == control) {
            return &handlers;
        }
    }
    return nullptr;
}

// The form's control of that name; nullptr for one the form does not name.
platform::Control* controlNamed(const Controls& c, std::string_view name) {
#define QUIBRANT_CONTROL_NAMED(controlName, ...) \
    if (name == #controlName) {                  \
        return c.controlName;                    \
    }
    QUIBRANT_FORM_CONTROLS(QUIBRANT_CONTROL_NAMED)
#undef QUIBRANT_CONTROL_NAMED
    return nullptr;
}

}  // namespace

void showControlsAtStart(const Controls& controls) {
    for (const ControlDef& def : formControls()) {
        platform::Control* control = controlNamed(controls, def.name);
        if (control == nullptr) {
            continue;
        }
        control->setVisible(def.visible);
        // Pictures and the bar show no caption: theirs is for screen readers.
        if (auto* captioned = dynamic_cast<platform::Captioned*>(control)) {
            captioned->setCaption(def.caption);
        } else if (auto* box = dynamic_cast<platform::TextBox*>(control)) {
            box->setPasswordChar(def.passwordChar);
        }
    }
}

WindowHost::WindowHost(const Controls& controls, const Services& services, ServerConfig server,
                       const AccessCodeTable& accessCodes)
    : controls_(controls), services_(services), window_(*controls.window) {
    showControlsAtStart(controls_);
    Controls seen = controls_;
    seen.window = &window_;
    form_ = std::make_unique<DownloadForm>(seen, services_, std::move(server), accessCodes);
    controls_.Inet1->onStateChanged(
        [this](std::int16_t state) { run([this, state] { form_->Inet1_StateChanged(state); }); });
    form_->Form_Load();
}

WindowHost::~WindowHost() {
    controls_.Inet1->onStateChanged({});
}

template <typename Handler>
void WindowHost::run(Handler&& handler) {
    if (closed_) {
        return;
    }
    try {
        handler();
    } catch (const platform::Failure& failure) {
        services_.messages->show(failure.description(), "", platform::MessageIcon::Critical);
    }
}

void WindowHost::activate() {
    if (std::exchange(activated_, true)) {
        return;
    }
    run([this] { form_->Form_Activate(); });
}

void WindowHost::click(std::string_view control) {
    // What each control's click runs, as the control table says.
#define NoClick
#define Click(handler) run([this] { form_->handler(); })
#define ClickIndex(handler, index) run([this] { form_->handler(index); })
#define SelectOption(index) selectOption(index)
#define QUIBRANT_CLICK(name, kind, container, left, top, width, height, caption, mask, visible, \
                       tabIndex, backColor, click)                                              \
    if (control == #name) {                                                                     \
        click;                                                                                  \
        return;                                                                                 \
    }
    QUIBRANT_FORM_CONTROLS(QUIBRANT_CLICK)
#undef QUIBRANT_CLICK
#undef SelectOption
#undef ClickIndex
#undef Click
#undef NoClick
}

void WindowHost::selectOption(std::int16_t index) {
    // A click by the user selects the option, as on any option button. Only
    // a click comes here: the form runs the handler itself when it selects
    // one by code.
    if (closed_) {
        return;
    }
    std::int16_t option = 0;
    for (const ControlDef& def : formControls()) {
        if (def.kind == ControlKind::Option) {
            static_cast<platform::OptionButton*>(controlNamed(controls_, def.name))
                ->setValue(option++ == index);
        }
    }
    run([this, index] { form_->Option1_Click(index); });
}

// Focus that leaves for a message box or another program and comes back to
// the same box is no change for the form: such a loss does not count, and
// getting the focus back to the box the form last saw is ignored. Moving
// from one box to another reports the old box's loss first, even when the
// toolkit reports it late or not at all.
void WindowHost::focusGained(std::string_view control) {
    const FocusHandlers* box = focusHandlersOf(control);
    if (box == nullptr || box->box == focusedBox_ || closed_) {
        return;
    }
    if (const FocusHandlers* previous = focusHandlersOf(std::exchange(focusedBox_, {}))) {
        run([this, lost = previous->lostFocus] { (form_.get()->*lost)(); });
    }
    focusedBox_ = box->box;
    run([this, got = box->gotFocus] { (form_.get()->*got)(); });
}

void WindowHost::focusLost(std::string_view control, bool withinWindow) {
    const FocusHandlers* box = focusHandlersOf(control);
    if (!withinWindow || box == nullptr || box->box != focusedBox_ || closed_) {
        return;
    }
    focusedBox_ = {};
    run([this, lost = box->lostFocus] { (form_.get()->*lost)(); });
}

std::uint32_t WindowHost::keyPress(std::uint32_t character) {
    // The form's key codes are 16-bit and signed; it never sees larger ones.
    if (closed_ ||
        character > static_cast<std::uint32_t>(std::numeric_limits<std::int16_t>::max())) {
        return character;
    }
    auto KeyAscii = static_cast<std::int16_t>(character);
    run([this, &KeyAscii] { form_->Form_KeyPress(KeyAscii); });
    return static_cast<std::uint16_t>(KeyAscii);
}

void WindowHost::tick() {
    // A tick already queued when the timer was stopped is not one.
    if (controls_.Timer1->isEnabled()) {
        run([this] { form_->Timer1_Timer(); });
    }
}

void WindowHost::close() {
    if (std::exchange(closed_, true)) {
        return;
    }
    form_->discardPartialDownload();
    if (window_.insideRound()) {
        services_.process->end();
    }
}

}  // namespace quibrant
