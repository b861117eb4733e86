#pragma once

#include <QTimer>
#include <functional>

namespace quibrant::qt {

// Applies a change to a widget at most once per screen frame. A download sets
// the progress several thousand times a second and a repaint costs far more
// than the piece it reports, so the first change of a burst is shown at once
// and the rest are folded into one update per interval.
class ScreenRateUpdate {
  public:
    static constexpr int kIntervalMs = 33;

    explicit ScreenRateUpdate(std::function<void()> apply);
    ScreenRateUpdate(const ScreenRateUpdate&) = delete;
    ScreenRateUpdate& operator=(const ScreenRateUpdate&) = delete;

    // Cheap enough to call for every piece of a download.
    void request() {
        if (timer_.isActive()) {
            pending_ = true;
            return;
        }
        applyNow();
    }

    // Shows the latest change now, e.g. before the widget is looked at.
    void flush();

    bool isPending() const { return pending_; }

  private:
    void applyNow();

    std::function<void()> apply_;
    QTimer timer_;
    bool pending_ = false;
};

}  // namespace quibrant::qt
