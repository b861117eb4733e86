#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "support/FakeControls.h"
#include "transfer/ProgressBar.h"

namespace quibrant::test {
namespace {

TEST(ProgressBarTest, RefusesAMaximumNotAboveTheMinimum) {
    FakeProgressBarView view;
    transfer::ProgressBar bar(view);
    EXPECT_THROW(bar.setMax(0), platform::Failure);
    EXPECT_THROW(bar.setMax(-5), platform::Failure);
    EXPECT_EQ(bar.max(), 100.0f);
    bar.setMax(1);
    EXPECT_EQ(view.shownMax, 1.0f);
}

TEST(ProgressBarTest, RefusesAValueOutsideItsRange) {
    FakeProgressBarView view;
    transfer::ProgressBar bar(view);
    bar.setMax(2048);
    bar.setValue(2048);
    EXPECT_EQ(view.shownValue, 2048.0f);
    EXPECT_THROW(bar.setValue(2049), platform::Failure);
    EXPECT_THROW(bar.setValue(-1), platform::Failure);
    EXPECT_EQ(bar.value(), 2048.0f);
}

}  // namespace
}  // namespace quibrant::test
