#include "qt/ScreenRate.h"

#include <utility>

namespace quibrant::qt {

ScreenRateUpdate::ScreenRateUpdate(std::function<void()> apply) : apply_(std::move(apply)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kIntervalMs);
    timer_.setTimerType(Qt::CoarseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (pending_) {
            applyNow();
        }
    });
}

void ScreenRateUpdate::flush() {
    if (pending_) {
        applyNow();
    }
}

void ScreenRateUpdate::applyNow() {
    pending_ = false;
    apply_();
    // The quiet interval starts after the update, so a burst that lasts longer
    // than one interval still shows its progress steadily.
    timer_.start();
}

}  // namespace quibrant::qt
