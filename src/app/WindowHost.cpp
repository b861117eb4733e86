#include "app/WindowHost.h"

#include <array>
#include <limits>
#include <utility>

#include "app/FormLayout.h"

namespace quibrant {

namespace {

using Handler = void (DownloadForm::*)();

constexpr std::array<std::string_view, 4> kTextBoxes = {"Text1", "Text2", "Text3", "Text4"};
constexpr std::array<Handler, 4> kGotFocus = {
    &DownloadForm::Text1_GotFocus, &DownloadForm::Text2_GotFocus, &DownloadForm::Text3_GotFocus,
    &DownloadForm::Text4_GotFocus};
constexpr std::array<Handler, 4> kLostFocus = {
    &DownloadForm::Text1_LostFocus, &DownloadForm::Text2_LostFocus, &DownloadForm::Text3_LostFocus,
    &DownloadForm::Text4_LostFocus};

// Box 1 to 4 by the control's name; 0 for any other control.
int boxNumber(std::string_view control) {
    for (std::size_t i = 0; i < kTextBoxes.size(); ++i) {
        if (control == kTextBoxes[i]) {
            return static_cast<int>(i + 1);
        }
    }
    return 0;
}

Handler handlerOf(const std::array<Handler, 4>& handlers, int box) {
    return handlers[static_cast<std::size_t>(box - 1)];
}

// The form's control of that name; nullptr for one the form does not name.
platform::Control* controlNamed(const Controls& c, std::string_view name) {
    const std::pair<std::string_view, platform::Control*> named[] = {
        {"Text1", c.Text1},
        {"Text2", c.Text2},
        {"Text3", c.Text3},
        {"Text4", c.Text4},
        {"Frame1", c.Frame1},
        {"Frame2", c.Frame2},
        {"Label2", c.Label2},
        {"ProgressBar1", c.ProgressBar1},
        {"Picture1_0", c.Picture1[0]},
        {"Picture1_1", c.Picture1[1]},
        {"Picture2_0", c.Picture2},
        {"Option1_0", c.Option1[0]},
        {"Option1_1", c.Option1[1]}};
    for (const auto& [controlName, control] : named) {
        if (name == controlName) {
            return control;
        }
    }
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
    DownloadForm& f = *form_;
    if (control == "Command1") {
        run([&f] { f.Command1_Click(); });
    } else if (control == "Command2") {
        run([&f] { f.Command2_Click(); });
    } else if (control == "Command3") {
        run([&f] { f.Command3_Click(); });
    } else if (control == "Picture1_0" || control == "Picture1_1") {
        const std::int16_t Index = control == "Picture1_0" ? 0 : 1;
        run([&f, Index] { f.Picture1_Click(Index); });
    } else if (control == "Picture2_0") {
        run([&f] { f.Picture2_Click(0); });
    } else if (control == "Option1_0" || control == "Option1_1") {
        selectOption(control == "Option1_0" ? 0 : 1);
    }
}

void WindowHost::selectOption(std::int16_t index) {
    // A click by the user selects the option, as on any option button. Only
    // a click comes here: the form runs the handler itself when it selects
    // one by code.
    if (closed_) {
        return;
    }
    controls_.Option1[0]->setValue(index == 0);
    controls_.Option1[1]->setValue(index == 1);
    run([this, index] { form_->Option1_Click(index); });
}

// Focus that leaves for a message box or another program and comes back to
// the same box is no change for the form: such a loss does not count, and
// getting the focus back to the box the form last saw is ignored. Moving
// from one box to another reports the old box's loss first, even when the
// toolkit reports it late or not at all.
void WindowHost::focusGained(std::string_view control) {
    const int box = boxNumber(control);
    if (box == 0 || box == focusedBox_ || closed_) {
        return;
    }
    if (focusedBox_ != 0) {
        const Handler lost = handlerOf(kLostFocus, std::exchange(focusedBox_, 0));
        run([this, lost] { (form_.get()->*lost)(); });
    }
    focusedBox_ = box;
    const Handler got = handlerOf(kGotFocus, box);
    run([this, got] { (form_.get()->*got)(); });
}

void WindowHost::focusLost(std::string_view control, bool withinWindow) {
    const int box = boxNumber(control);
    if (!withinWindow || box == 0 || box != focusedBox_ || closed_) {
        return;
    }
    focusedBox_ = 0;
    const Handler lost = handlerOf(kLostFocus, box);
    run([this, lost] { (form_.get()->*lost)(); });
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
