#include <gtest/gtest.h>

#include <string>

#include "DownloadFixture.h"
#include "app/FormTexts.h"

namespace quibrant::test {
namespace {

class WatchdogTest : public DownloadFixture {
  protected:
    static constexpr double kStart = 5000.0;

    void SetUp() override {
        DownloadFixture::SetUp();
        f.fs().files[kDestination].bytes = "older installer";
        f.clock.now = kStart;
        f.form->Command1_Click();
    }

    // Ticks every half second, as the timer does, while it is enabled; returns
    // the seconds after the request at which the program ended, or -1.
    double tickUntilEnd(double until) {
        for (double t = 0.5; t <= until && f.Timer1.isEnabled(); t += 0.5) {
            f.clock.now = kStart + t;
            try {
                f.form->Timer1_Timer();
            } catch (const ProgramEnded&) {
                return t;
            }
        }
        return -1;
    }

    void expectTimeOutReported() {
        ASSERT_FALSE(f.messages.shown.empty());
        EXPECT_EQ(f.messages.shown.back().text, texts::kTimeOut);
        EXPECT_EQ(f.messages.shown.back().title, texts::kTimeOutTitle);
        EXPECT_EQ(f.messages.shown.back().icon, platform::MessageIcon::Critical);
        EXPECT_FALSE(f.Timer1.isEnabled());
        EXPECT_GE(f.Inet1.cancels, 1);
        EXPECT_FALSE(partialFileLeft());
        EXPECT_EQ(f.fs().files[kDestination].bytes, "older installer");
        // The button showed the error with the message, and nothing once the
        // program ended.
        ASSERT_GE(f.taskbar.shown.size(), 2u);
        EXPECT_EQ(f.taskbar.shown.end()[-2].state, platform::TaskbarState::Error);
        EXPECT_EQ(f.taskbar.now(), platform::TaskbarProgress{});
    }
};

TEST_F(WatchdogTest, ARequestThatNeverAnswersEndsTheProgramAtTheFirstTickAfterTenSeconds) {
    // Connected, and then nothing: no error is ever raised.
    f.Inet1.raise(1);
    f.Inet1.raise(4);
    EXPECT_EQ(tickUntilEnd(30), 10.5);
    expectTimeOutReported();
    EXPECT_EQ(f.messages.shown.size(), 1u);
}

TEST_F(WatchdogTest, ExactlyTenSecondsAndAProgressOfOneAreNotYetATimeOut) {
    f.clock.now = kStart + 10;
    f.form->Timer1_Timer();
    EXPECT_TRUE(f.Timer1.isEnabled());

    DownloadFormTestAccess::progressBar(*f.form).setValue(1);
    f.clock.now = kStart + 10.25;
    EXPECT_THROW(f.form->Timer1_Timer(), ProgramEnded);
    expectTimeOutReported();
}

TEST_F(WatchdogTest, DataFlowingTurnsItOffForGood) {
    f.Inet1.respond(body(50000));
    int ticks = 0;
    f.window.onEvents = [&] {
        f.clock.now += 0.5;
        if (f.Timer1.isEnabled()) {
            ++ticks;
            f.form->Timer1_Timer();
        }
    };
    EXPECT_TRUE(raiseCompleted());
    EXPECT_EQ(ticks, 2);  // the first piece is not yet counted; the second tick sees it
    EXPECT_EQ(f.fs().files[kDestination].bytes, body(50000));
}

TEST_F(WatchdogTest, ATimeOutInsideThePieceLoopRemovesThePartialFile) {
    // The first piece is in hand but not yet counted when the tick comes.
    f.Inet1.respond(body(5000));
    f.window.onEvents = [&] {
        f.clock.now += 11;
        f.form->Timer1_Timer();
    };
    EXPECT_TRUE(raiseCompleted());
    expectTimeOutReported();
}

}  // namespace
}  // namespace quibrant::test
