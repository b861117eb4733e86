#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "app/DownloadForm.h"
#include "app/EventRounds.h"

namespace quibrant {

// Puts the form's controls in the state the control table gives them at
// start: shown or hidden, their captions and the code box's mask.
void showControlsAtStart(const Controls& controls);

// The window as both toolkits see it: the form, fed with neutral events
// (a control clicked, a text box's focus gained or lost, a character typed,
// a close request, a timer tick, the first activation, the transfer's
// notifications). The host takes every decision the toolkits would otherwise
// take twice: which handler an event calls, which focus changes count, what
// a close means, and that a failure no handler traps is shown to the user
// while the window stays. Controls are named as in the control table
// ("Command1", "Picture1_0", "Text4").
class WindowHost {
  public:
    // Builds the form over the controls, in their state at start, and runs
    // its load handler; a failure there means there is no window, and
    // reaches the caller. The controls must outlive the host.
    WindowHost(const Controls& controls, const Services& services,
               ServerConfig server = ServerConfig::builtIn(),
               const AccessCodeTable& accessCodes = builtInAccessCodeTable());
    ~WindowHost();
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    DownloadForm& form() { return *form_; }

    // The window became active; only the first time counts.
    void activate();
    void click(std::string_view control);
    void focusGained(std::string_view control);
    // `withinWindow`: the focus went to another control of the window, not
    // to a message box or another program (from which it comes back).
    void focusLost(std::string_view control, bool withinWindow);
    // A character typed anywhere in the window, offered to the form first.
    // Returns the character to deliver instead: 0 to discard it.
    std::uint32_t keyPress(std::uint32_t character);
    // The watchdog's timer ticked.
    void tick();
    // The user asked to close the window. The download in progress is
    // abandoned; inside a download's event round the program ends here, as
    // returning would resume that loop. Otherwise the caller closes the
    // window; no event reaches the form afterwards.
    void close();

  private:
    // The toolkit's window, with doEvents counted, so that a close can tell
    // whether it comes from inside a download's loop.
    class RoundCountingWindow : public platform::Window {
      public:
        explicit RoundCountingWindow(platform::Window& window) : window_(window) {}
        std::string caption() const override { return window_.caption(); }
        void setCaption(const std::string& caption) override { window_.setCaption(caption); }
        void sendTab() override { window_.sendTab(); }
        void doEvents() override {
            rounds_.run([this] { window_.doEvents(); });
        }
        bool insideRound() const { return rounds_.running(); }

      private:
        platform::Window& window_;
        EventRounds rounds_;
    };

    // Runs one handler of the form, unless the window is closed. A failure
    // that the handler does not trap itself is shown to the user instead of
    // bringing the program down.
    template <typename Handler>
    void run(Handler&& handler);
    void selectOption(std::int16_t index);

    Controls controls_;
    Services services_;
    RoundCountingWindow window_;
    std::unique_ptr<DownloadForm> form_;
    // The text box the form last saw take the focus, "" for none.
    std::string_view focusedBox_;
    bool activated_ = false;
    bool closed_ = false;
};

}  // namespace quibrant
