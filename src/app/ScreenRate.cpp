#include "app/ScreenRate.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quibrant {

namespace {

constexpr double kBytesPerKilobyte = 1024.0;

int kilobytes(double bytes) {
    return static_cast<int>(std::lround(std::max(0.0, bytes) / kBytesPerKilobyte));
}

}  // namespace

ScreenRateUpdate::ScreenRateUpdate(Apply apply, RunTimer runTimer)
    : apply_(std::move(apply)), runTimer_(std::move(runTimer)) {}

void ScreenRateUpdate::flush() {
    if (pending_) {
        applyNow();
    }
}

void ScreenRateUpdate::onTimer() {
    if (pending_) {
        applyNow();
        return;
    }
    // A quiet interval: the next change is shown at once again.
    if (running_) {
        runTimer_(false);
        running_ = false;
    }
}

void ScreenRateUpdate::applyNow() {
    pending_ = false;
    apply_();
}

RatedCaption::RatedCaption(Show show, ScreenRateUpdate::RunTimer runTimer)
    : show_(std::move(show)), update_([this] { show_(caption_); }, std::move(runTimer)) {}

void RatedCaption::setCaption(const std::string& caption) {
    if (caption == caption_) {
        return;
    }
    caption_ = caption;
    update_.request();
}

ShownProgress shownProgress(float minimum, float maximum, float value) {
    // In double: a float share of a length above 2^24 would not reach the end.
    const double span = static_cast<double>(maximum) - minimum;
    const int top = std::max(1, kilobytes(span));
    const double share = span > 0 ? (static_cast<double>(value) - minimum) / span : 0.0;
    return {top, static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * top))};
}

RatedProgress::RatedProgress(Show shower, ScreenRateUpdate::RunTimer runTimer)
    : show_(std::move(shower)), update_([this] { show(); }, std::move(runTimer)) {
    show();
}

void RatedProgress::setRange(float minimum, float maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    update_.request();
}

void RatedProgress::setValue(float value) {
    value_ = value;
    update_.request();
}

void RatedProgress::show() {
    const ShownProgress shown = shownProgress(minimum_, maximum_, value_);
    if (shown.maximum == shown_.maximum && shown.value == shown_.value) {
        return;
    }
    const bool newMaximum = shown.maximum != shown_.maximum;
    shown_ = shown;
    show_(shown, newMaximum);
}

RatedTaskbar::RatedTaskbar(Show show, ScreenRateUpdate::RunTimer runTimer)
    : show_(std::move(show)), update_([this] { apply(); }, std::move(runTimer)) {}

void RatedTaskbar::show(const platform::TaskbarProgress& progress) {
    wanted_ = progress;
    update_.request();
    if (progress.state != sent_.state) {
        update_.flush();
    }
}

void RatedTaskbar::apply() {
    if (wanted_ != sent_) {
        sent_ = wanted_;
        show_(sent_);
    }
}

}  // namespace quibrant
