#pragma once

#include "platform/Controls.h"
#include "platform/Taskbar.h"

namespace quibrant {

// The download as the window's button on the taskbar shows it: the share of
// the progress bar while a download runs, an error while its failure is being
// told, and nothing otherwise.
//
// It is the view the download's progress-bar model drives: every change goes
// on to the window's bar, and moves the button only when the button would
// show it differently. A download sets the bar for every 1 KiB piece, so
// what it costs then is a division and a comparison; the button hears at
// most one change per step of TaskbarProgress::kSteps.
class TaskbarMirror : public platform::ProgressBarView {
  public:
    // `button` may be null: the window has none.
    TaskbarMirror(platform::ProgressBarView& bar, platform::TaskbarButton* button)
        : bar_(bar), button_(button) {}
    TaskbarMirror(const TaskbarMirror&) = delete;
    TaskbarMirror& operator=(const TaskbarMirror&) = delete;

    void setVisible(bool visible) override { bar_.setVisible(visible); }
    bool isVisible() const override { return bar_.isVisible(); }
    void setEnabled(bool enabled) override { bar_.setEnabled(enabled); }
    bool isEnabled() const override { return bar_.isEnabled(); }
    void setRange(float minimum, float maximum) override;
    void setValue(float value) override {
        bar_.setValue(value);
        value_ = value;
        if (running_) {
            update();
        }
    }

    // A download was requested: the button follows the bar from now on.
    void begin();
    // The download is over (complete, abandoned, or the program ends): the
    // button shows nothing.
    void end();

    // While one lives, the user is being told that the download failed: the
    // download is over, and the button shows the error until the message
    // is gone.
    class FailureShown {
      public:
        explicit FailureShown(TaskbarMirror& mirror);
        ~FailureShown();
        FailureShown(const FailureShown&) = delete;
        FailureShown& operator=(const FailureShown&) = delete;

      private:
        TaskbarMirror& mirror_;
    };

  private:
    void update();

    platform::ProgressBarView& bar_;
    platform::TaskbarButton* button_;
    float minimum_ = 0;
    float maximum_ = 100;
    float value_ = 0;
    bool running_ = false;
    // Failure messages open; a message box lets events run, so one may open
    // under another.
    int failuresShown_ = 0;
    platform::TaskbarProgress shown_;
};

}  // namespace quibrant
