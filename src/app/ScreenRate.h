#pragma once

#include <functional>
#include <string>

#include "platform/Taskbar.h"

namespace quibrant {

// Applies a change to a control at most once per screen frame. A download
// sets the progress several thousand times a second and a repaint costs far
// more than the piece it reports, so the first change of a burst is shown at
// once and the rest are folded into one update per interval.
//
// The toolkit supplies a periodic timer of kIntervalMs: `runTimer(true)`
// starts it and says whether it runs, `runTimer(false)` stops it, and each of
// its ticks calls onTimer().
class ScreenRateUpdate {
  public:
    static constexpr int kIntervalMs = 33;
    using Apply = std::function<void()>;
    using RunTimer = std::function<bool(bool run)>;

    ScreenRateUpdate(Apply apply, RunTimer runTimer);
    ScreenRateUpdate(const ScreenRateUpdate&) = delete;
    ScreenRateUpdate& operator=(const ScreenRateUpdate&) = delete;

    // Cheap enough to call for every piece of a download.
    void request() {
        if (running_) {
            pending_ = true;
            return;
        }
        applyNow();
        // Without a timer every change is shown at once: slower, never stale.
        running_ = runTimer_(true);
    }
    // Shows the latest change now, e.g. before the control is looked at.
    void flush();
    void onTimer();

  private:
    void applyNow();

    Apply apply_;
    RunTimer runTimer_;
    bool running_ = false;
    bool pending_ = false;
};

// A caption the form may change for every piece of a download: the form
// reads back what it set at once, the screen shows it at screen rate.
class RatedCaption {
  public:
    using Show = std::function<void(const std::string&)>;
    RatedCaption(Show show, ScreenRateUpdate::RunTimer runTimer);

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& caption);
    ScreenRateUpdate& update() { return update_; }

  private:
    std::string caption_;
    Show show_;
    ScreenRateUpdate update_;
};

// What a progress bar shows of the form's range and value. The bar counts in
// kilobytes, so that any 32-bit length fits a toolkit's integer range.
struct ShownProgress {
    int maximum;
    int value;
};
ShownProgress shownProgress(float minimum, float maximum, float value);

// A progress bar's range and value as the form sets them, shown in kilobytes
// at screen rate; `show` is called only when what is shown changes.
class RatedProgress {
  public:
    using Show = std::function<void(const ShownProgress& shown, bool newMaximum)>;
    RatedProgress(Show show, ScreenRateUpdate::RunTimer runTimer);

    void setRange(float minimum, float maximum);
    void setValue(float value);
    ScreenRateUpdate& update() { return update_; }

  private:
    void show();

    float minimum_ = 0;
    float maximum_ = 100;
    float value_ = 0;
    ShownProgress shown_{-1, -1};
    Show show_;
    ScreenRateUpdate update_;
};

// What the taskbar button shows, passed on at screen rate: a fast download
// moves it a thousand times in a second, and each change is a message to
// another process (the taskbar, the dock). A new state goes out at once,
// since the program may end right after clearing the button.
class RatedTaskbar {
  public:
    using Show = std::function<void(const platform::TaskbarProgress&)>;
    RatedTaskbar(Show show, ScreenRateUpdate::RunTimer runTimer);

    void show(const platform::TaskbarProgress& progress);
    ScreenRateUpdate& update() { return update_; }

  private:
    void apply();

    platform::TaskbarProgress wanted_;
    platform::TaskbarProgress sent_;
    Show show_;
    ScreenRateUpdate update_;
};

}  // namespace quibrant
