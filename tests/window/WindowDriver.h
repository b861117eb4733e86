#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "app/DownloadForm.h"
#include "platform/Controls.h"
#include "platform/Paths.h"
#include "support/FakeInternetTransfer.h"
#include "support/FakeServices.h"

namespace quibrant::test {

// The fakes a real window runs over: nothing touches the real machine. The
// environment names a temporary folder and a user profile that exist, so
// that the form finds its folders as on a configured machine.
struct WindowFakes : FakeServiceSet {
    WindowFakes(std::string tempFolder, std::string profile, std::string driveRoot)
        : tempFolder(std::move(tempFolder)), profile(std::move(profile)) {
        environment.addFolder(this->tempFolder);
        environment.addFolder(this->profile);
        environment.variables = {{"temp", this->tempFolder}, {"userprofile", this->profile}};
        fileSystems.fs().driveRoot = std::move(driveRoot);
    }

    // A file's path in one of the fake folders, in the system's spelling.
    static std::string in(const std::string& folder, const std::string& name) {
        return folder + platform::kSep + name;
    }

    const std::string tempFolder;
    const std::string profile;
    FakeInternetTransfer inet;
};

// Keys a scenario presses, each delivered as the toolkit's own key event to
// the control that has the focus.
enum class Key { Enter, KeypadEnter, Tab, BackTab, Space };

// A real window of one toolkit, acted on as a user does and read back as the
// user sees it. Controls go by their names in the control table ("Text4",
// "Command1", "Picture1_0", "Option1_1"). Every action returns once the
// window has handled it; colours are 0x00BBGGRR.
class WindowDriver : public WindowFakes {
  public:
    using WindowFakes::WindowFakes;
    virtual ~WindowDriver() = default;

    // Builds the window over the fakes and shows it as the program's start
    // does, active.
    virtual void start() = 0;
    virtual DownloadForm& form() = 0;

    // A click of the mouse's left button on the middle of the control.
    virtual void click(std::string_view control) = 0;
    // Characters typed on the keyboard into the control with the focus.
    virtual void type(std::string_view characters) = 0;
    virtual void press(Key key) = 0;
    // Puts the focus on the control as the keyboard would.
    virtual void focus(std::string_view control) = 0;
    // The name of the control with the focus; "" for none.
    virtual std::string focusName() = 0;
    // Replaces a box's text at once, as a paste over all of it would.
    virtual void setText(std::string_view box, std::string_view text) = 0;
    // Another window of the program takes the focus, then gives it back.
    virtual void activateAnotherWindow() = 0;
    virtual void activateAgain() = 0;
    // The user closes the window: close() returns once it has closed,
    // postClose() only queues the request, for events to deliver later.
    virtual void close() = 0;
    virtual void postClose() = 0;
    // The window is gone and the program's event loop asked to end, with no
    // failure.
    virtual bool closed() = 0;
    // Handles what is pending in the event queue.
    virtual void pump() = 0;

    // The window's title.
    virtual std::string windowCaption() = 0;
    // A box's text or a button's or label's caption, as shown.
    virtual std::string text(std::string_view control) = 0;
    // The character that masks a box's text; "" when it shows it.
    virtual std::string mask(std::string_view box) = 0;
    // The colour a box is painted in, and that of a box not coloured yet.
    virtual platform::Color backColor(std::string_view box) = 0;
    virtual platform::Color standardBoxColor() = 0;
    // Whether the control is seen, or takes input, there and then: a hidden
    // or disabled container hides or disables what it holds.
    virtual bool visible(std::string_view control) = 0;
    virtual bool enabled(std::string_view control) = 0;
    virtual bool checked(std::string_view option) = 0;
};

}  // namespace quibrant::test
