#include "app/TaskbarMirror.h"

#include <algorithm>

namespace quibrant {

using platform::TaskbarProgress;
using platform::TaskbarState;

void TaskbarMirror::setRange(float minimum, float maximum) {
    bar_.setRange(minimum, maximum);
    minimum_ = minimum;
    maximum_ = maximum;
    if (running_) {
        update();
    }
}

void TaskbarMirror::begin() {
    running_ = true;
    update();
}

void TaskbarMirror::end() {
    running_ = false;
    update();
}

TaskbarMirror::FailureShown::FailureShown(TaskbarMirror& mirror) : mirror_(mirror) {
    mirror_.running_ = false;
    ++mirror_.failuresShown_;
    mirror_.update();
}

TaskbarMirror::FailureShown::~FailureShown() {
    --mirror_.failuresShown_;
    mirror_.update();
}

void TaskbarMirror::update() {
    if (button_ == nullptr) {
        return;
    }
    TaskbarProgress wanted;
    if (failuresShown_ > 0) {
        // The whole button: most failures come before the first byte, where
        // an error over the share received would not show at all.
        wanted = {TaskbarState::Error, TaskbarProgress::kSteps};
    } else if (running_) {
        // In double: a float share of a length above 2^24 would not reach the end.
        const double span = static_cast<double>(maximum_) - minimum_;
        const double share =
            span > 0 ? std::clamp((static_cast<double>(value_) - minimum_) / span, 0.0, 1.0) : 0.0;
        // Rounded down: the bar is full only once everything is in.
        wanted = {TaskbarState::Normal, static_cast<int>(share * TaskbarProgress::kSteps)};
    }
    if (wanted != shown_) {
        shown_ = wanted;
        button_->show(shown_);
    }
}

}  // namespace quibrant
