#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/DownloadFixture.h"

namespace quibrant::test {
namespace {

using platform::TaskbarProgress;
using platform::TaskbarState;

// The button follows the bar from the request on, in steps rather than in
// pieces, and is cleared before the user is told the file is there.
TEST_F(DownloadFixture, TheTaskbarButtonFollowsTheDownloadInSteps) {
    const std::size_t length = 3 * 1024 * 1024 + 17;
    f.form->Command2_Click();
    EXPECT_EQ(f.taskbar.shown, (std::vector<TaskbarProgress>{{TaskbarState::Normal, 0}}));
    f.Inet1.respond(body(length));
    f.window.onEvents = [&] {
        // Halfway through the body, half the button.
        if (f.Inet1.delivered() == length / 2 / 1024 * 1024) {
            EXPECT_NEAR(f.taskbar.now().done, TaskbarProgress::kSteps / 2, 1);
        }
    };
    f.messages.whileOpen = [&] { EXPECT_EQ(f.taskbar.now(), TaskbarProgress{}); };

    ASSERT_TRUE(raiseCompleted());

    const std::vector<TaskbarProgress>& shown = f.taskbar.shown;
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.end()[-2], (TaskbarProgress{TaskbarState::Normal, TaskbarProgress::kSteps}));
    EXPECT_EQ(shown.back(), TaskbarProgress{});
    // One change per step at most, though the body came in 3073 pieces.
    for (std::size_t i = 1; i + 1 < shown.size(); ++i) {
        EXPECT_EQ(shown[i].state, TaskbarState::Normal);
        EXPECT_GT(shown[i].done, shown[i - 1].done);
    }
}

}  // namespace
}  // namespace quibrant::test
