#include "app/ScreenRate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quibrant::test {
namespace {

// The toolkit's timer, ticked by hand.
struct HandTimer {
    bool available = true;
    bool running = false;
    ScreenRateUpdate::RunTimer runner() {
        return [this](bool run) {
            running = run && available;
            return running;
        };
    }
};

TEST(ScreenRateTest, TheFirstChangeShowsAtOnceAndABurstFoldsIntoOneUpdatePerTick) {
    HandTimer timer;
    std::vector<std::string> shown;
    RatedCaption caption([&shown](const std::string& text) { shown.push_back(text); },
                         timer.runner());
    caption.setCaption("uno");
    EXPECT_EQ(shown, std::vector<std::string>{"uno"});
    for (int i = 0; i < 5000; ++i) {
        caption.setCaption("Descargados " + std::to_string(i));
    }
    // The form reads back what it set, whatever is on the screen.
    EXPECT_EQ(caption.caption(), "Descargados 4999");
    EXPECT_EQ(shown.size(), 1u);
    caption.update().onTimer();
    EXPECT_EQ(shown.back(), "Descargados 4999");
    EXPECT_TRUE(timer.running);

    // A quiet interval stops the timer: the next change shows at once again.
    caption.update().onTimer();
    EXPECT_FALSE(timer.running);
    caption.setCaption("dos");
    EXPECT_EQ(shown.back(), "dos");
    caption.setCaption("tres");
    caption.update().flush();
    EXPECT_EQ(shown.back(), "tres");
    EXPECT_EQ(shown.size(), 4u);
}

TEST(ScreenRateTest, WithoutATimerEveryChangeShowsAtOnce) {
    HandTimer timer;
    timer.available = false;
    std::vector<std::string> shown;
    RatedCaption caption([&shown](const std::string& text) { shown.push_back(text); },
                         timer.runner());
    caption.setCaption("uno");
    caption.setCaption("dos");
    EXPECT_EQ(shown, (std::vector<std::string>{"uno", "dos"}));
}

TEST(ScreenRateTest, TheBarCountsInKilobytesWithoutDrift) {
    struct Case {
        float minimum, maximum, value;
        int shownMaximum, shownValue;
    };
    const Case cases[] = {
        // A length near the 32-bit limit still fits an integer range.
        {0, 2147483647.0f, 1073741824.0f, 2097152, 1048576},
        {0, 10485760.0f, 524288.0f, 10240, 512},
        // Less than a kilobyte announced still shows a full bar when done.
        {0, 300.0f, 300.0f, 1, 1},
        // The whole of a length that a float holds only roughly still fills
        // the bar to its end.
        {0, 16777217.0f, 16777217.0f, 16384, 16384},
        {0, 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        const ShownProgress shown = shownProgress(c.minimum, c.maximum, c.value);
        EXPECT_EQ(shown.maximum, c.shownMaximum) << c.maximum;
        EXPECT_EQ(shown.value, c.shownValue) << c.value;
    }
}

TEST(ScreenRateTest, TheBarIsRedrawnOnlyWhenWhatItShowsChanges) {
    HandTimer timer;
    std::vector<std::pair<int, bool>> draws;
    RatedProgress bar([&draws](const ShownProgress& shown,
                               bool newMaximum) { draws.emplace_back(shown.value, newMaximum); },
                      timer.runner());
    draws.clear();
    bar.setRange(0, 10240.0f);
    EXPECT_EQ(draws, (std::vector<std::pair<int, bool>>{{0, true}}));
    bar.setValue(100.0f);  // still 0 of 10 kilobytes
    bar.update().onTimer();
    bar.setValue(5120.0f);
    bar.update().onTimer();
    EXPECT_EQ(draws, (std::vector<std::pair<int, bool>>{{0, true}, {5, false}}));
}

// The taskbar hears a burst of progress once per tick, but a new state at
// once: the program may end right after clearing the button.
TEST(ScreenRateTest, TheTaskbarFoldsProgressButNotANewState) {
    using platform::TaskbarProgress;
    using platform::TaskbarState;
    HandTimer timer;
    std::vector<TaskbarProgress> sent;
    RatedTaskbar taskbar([&sent](const TaskbarProgress& progress) { sent.push_back(progress); },
                         timer.runner());
    for (int done = 0; done <= 500; ++done) {
        taskbar.show({TaskbarState::Normal, done});
    }
    EXPECT_EQ(sent, (std::vector<TaskbarProgress>{{TaskbarState::Normal, 0}}));
    taskbar.update().onTimer();
    EXPECT_EQ(sent.back(), (TaskbarProgress{TaskbarState::Normal, 500}));

    taskbar.show({TaskbarState::Normal, 501});
    taskbar.show({});
    EXPECT_EQ(sent.back(), TaskbarProgress{});
    // Nothing new is left for the tick, and the step before the end is not
    // sent after it.
    taskbar.update().onTimer();
    EXPECT_EQ(sent.size(), 3u);
}

}  // namespace
}  // namespace quibrant::test
