#pragma once

#include "platform/Controls.h"

namespace quibrant::transfer {

// The progress bar's value and range with the control's own rules: the maximum
// must lie above the minimum and the value within the range. Breaking either
// rule is a failure, which the transfer reports like any other.
class ProgressBar {
  public:
    explicit ProgressBar(platform::ProgressBarView& view) : view_(view) {}

    float max() const { return max_; }
    float value() const { return value_; }

    void setMax(float maximum);
    void setValue(float value);

  private:
    platform::ProgressBarView& view_;
    static constexpr float kMin = 0;
    float max_ = 100;
    float value_ = 0;
};

}  // namespace quibrant::transfer
