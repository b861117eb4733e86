#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "DownloadFixture.h"
#include "app/FormTexts.h"
#include "transfer/ProgressText.h"
#include "transfer/TransferFailures.h"

namespace quibrant::test {
namespace {

class CompleteDownloadTest : public DownloadFixture,
                             public ::testing::WithParamInterface<std::size_t> {};

TEST_P(CompleteDownloadTest, SavesTheBodyWholeAndHandsItOver) {
    const std::string bytes = body(GetParam());
    f.fs().files[kDestination] = {"older installer", true, false};
    f.shells.specialFolders["Desktop"] = "/home/user/Desktop";
    f.process.listings[kDestination] = "Quibrant_Setup.exe";
    f.form->Command2_Click();
    f.Inet1.respond(bytes);
    // What the user sees when told that the file is there.
    f.messages.whileOpen = [&] {
        EXPECT_EQ(f.fs().files[kDestination].bytes, bytes);
        EXPECT_FALSE(partialFileLeft());
        EXPECT_FALSE(f.Timer1.isEnabled());
        EXPECT_FALSE(f.Frame1.isVisible());
        EXPECT_EQ(bar().value(), 0.0f);
        EXPECT_EQ(f.taskbar.now(), platform::TaskbarProgress{});
    };

    ASSERT_TRUE(raiseCompleted());

    ASSERT_EQ(f.shells.saved.size(), 1u);
    EXPECT_EQ(f.shells.saved[0].properties.at(0),
              std::make_pair(std::string("TargetPath"), std::string(kDestination)));
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, texts::kDownloaded);
    EXPECT_EQ(f.messages.shown[0].title, "");
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Information);
    // Every piece, the last empty one included, is followed by the window's events,
    // and every piece after the first updates the caption.
    EXPECT_EQ(f.window.eventRounds, f.Inet1.chunkCalls);
    EXPECT_EQ(f.Frame1.captionChanges, f.Inet1.chunkCalls - 1);
    std::string whole;
    transfer::formatProgressText(static_cast<float>(bytes.size()),
                                 static_cast<std::int32_t>(bytes.size()), whole);
    EXPECT_EQ(f.Frame1.caption(), whole);
    EXPECT_EQ(f.Inet1.chunkCalls,
              static_cast<int>(bytes.size() / 1024 + 1) + (bytes.size() % 1024 != 0 ? 1 : 0));
}

INSTANTIATE_TEST_SUITE_P(Sizes, CompleteDownloadTest,
                         ::testing::Values(1, 1023, 1024, 1025, 3 * 1024, 3 * 1024 * 1024 + 17));

TEST_F(DownloadFixture, DownloadAndInstallHandsOverToTheInstaller) {
    f.form->Command1_Click();
    f.Inet1.respond(body(5000));
    ASSERT_TRUE(raiseCompleted());
    EXPECT_EQ(f.fs().files[kDestination].bytes, body(5000));
    for (const auto& shown : f.messages.shown) {
        EXPECT_NE(shown.text, texts::kDownloaded);
    }
    EXPECT_FALSE(f.Timer1.isEnabled());
}

TEST_F(DownloadFixture, ProgressCountsEveryByteOfUnevenPiecesPastSinglePrecision) {
    // Above 2^24 a single-precision sum of odd-sized pieces would drift from
    // the bytes received and could pass the bar's maximum.
    const std::string bytes = body((std::size_t{1} << 24) + 4099 * 999 + 1);
    f.Inet1.pieceSize = 999;
    f.form->Command2_Click();
    f.Inet1.respond(bytes);
    std::size_t checks = 0;
    std::size_t before = 0;
    // Each round of events sees the bytes of every piece before the newest one.
    f.window.onEvents = [&] {
        ASSERT_EQ(bar().value(), static_cast<float>(before));
        before = f.Inet1.delivered();
        ++checks;
    };
    ASSERT_TRUE(raiseCompleted());
    EXPECT_GT(checks, 16000u);
    EXPECT_EQ(f.messages.shown.back().text, texts::kDownloaded);
    EXPECT_EQ(f.fs().files[kDestination].bytes.size(), bytes.size());
}

TEST_F(DownloadFixture, OtherNotificationsAreOnlyCountedOnTheStatusLabel) {
    f.form->Command1_Click();
    for (std::int16_t state = 1; state <= 10; ++state) {
        f.Inet1.raise(state);
    }
    EXPECT_EQ(f.Label2.caption(), "10-10");
    EXPECT_EQ(f.state().StateChangeCount, 10);
    EXPECT_FALSE(f.Frame2.isEnabled());
    EXPECT_TRUE(f.Timer1.isEnabled());
    EXPECT_TRUE(f.messages.shown.empty());

    // Inside the piece loop, too, they only count: an error there is the
    // body's to report, not a request that got no answer.
    f.Inet1.respond(body(3000));
    f.window.onEvents = [&] {
        f.Inet1.raise(8);
        f.Inet1.raise(11);
        f.window.onEvents = nullptr;
    };
    ASSERT_TRUE(raiseCompleted());
    EXPECT_EQ(f.Label2.caption(), "11-12");
    EXPECT_EQ(f.fs().files[kDestination].bytes, body(3000));
}

// A request that ends without any answer is reported at once, in the
// component's words, and the window is given back for another try with no
// time-out to follow; a late error after that says nothing more.
TEST_F(DownloadFixture, AnErrorBeforeAnyAnswerIsReportedAtOnce) {
    f.fs().files[kDestination].bytes = "older installer";
    f.form->Command1_Click();
    f.Inet1.requestFailureText =
        transfer::transferFailure(transfer::TransferFault::kHostNotFound, "x.example")
            .description();
    f.Inet1.raise(3);
    f.Inet1.raise(11);
    EXPECT_EQ(f.Label2.caption(), "11-2");
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, f.Inet1.requestFailureText);
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(f.Frame2.isEnabled());
    EXPECT_FALSE(f.Frame1.isVisible());
    EXPECT_FALSE(f.Timer1.isEnabled());
    EXPECT_EQ(f.fs().files[kDestination].bytes, "older installer");

    f.Inet1.raise(11);
    EXPECT_EQ(f.messages.shown.size(), 1u);
}

TEST_F(DownloadFixture, ACounterAtItsLimitFailsOnceAndKeepsItsValue) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    f.form->Command1_Click();
    f.fs().files[kDestination].bytes = "older installer";
    f.Inet1.respond(body(5000));
    f.state().StateChangeCount = kMax;
    // The notification arrives while the body is being received.
    f.window.onEvents = [&] {
        f.window.onEvents = nullptr;
        f.Inet1.raise(7);
    };
    EXPECT_FALSE(raiseCompleted());
    EXPECT_EQ(f.state().StateChangeCount, kMax);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(f.Frame2.isEnabled());
    EXPECT_FALSE(partialFileLeft());
    EXPECT_EQ(f.fs().files[kDestination].bytes, "older installer");
}

TEST_F(DownloadFixture, ClosingTheWindowMidTransferLeavesNothingHalfDone) {
    f.form->Command1_Click();
    f.fs().files[kDestination].bytes = "older installer";
    f.Inet1.respond(body(10000));
    f.window.onEvents = [&] {
        if (f.Inet1.chunkCalls == 3) {
            f.form->discardPartialDownload();
        }
    };
    EXPECT_FALSE(raiseCompleted());
    EXPECT_EQ(f.Inet1.chunkCalls, 3);
    EXPECT_EQ(f.Inet1.cancels, 1);
    EXPECT_EQ(f.taskbar.now(), platform::TaskbarProgress{});
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_FALSE(partialFileLeft());
    EXPECT_EQ(f.fs().files[kDestination].bytes, "older installer");
}

}  // namespace
}  // namespace quibrant::test
