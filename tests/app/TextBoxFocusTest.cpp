#include "app/TextBoxFocus.h"

#include <gtest/gtest.h>

#include <vector>

namespace quibrant::test {
namespace {

using Handler = TextBoxFocus::Handler;

class TextBoxFocusTest : public ::testing::Test {
  protected:
    TextBoxFocus focus;
    std::vector<Handler> calls;

    void gained(int box) {
        focus.gained(box, [this](Handler handler) { calls.push_back(handler); });
    }
    void lost(int box) {
        focus.lost(box, [this](Handler handler) { calls.push_back(handler); });
    }
};

TEST_F(TextBoxFocusTest, MovingBetweenBoxesLosesTheOldBeforeTheNewGetsIt) {
    gained(4);
    lost(4);
    gained(2);
    gained(1);  // no loss reported for box 2: the toolkit may send it late
    EXPECT_EQ(calls,
              (std::vector<Handler>{&DownloadForm::Text4_GotFocus, &DownloadForm::Text4_LostFocus,
                                    &DownloadForm::Text2_GotFocus, &DownloadForm::Text2_LostFocus,
                                    &DownloadForm::Text1_GotFocus}));
    EXPECT_EQ(focus.current(), 1);
}

TEST_F(TextBoxFocusTest, FocusComingBackToTheSameBoxIsNoChange) {
    gained(3);
    gained(3);
    EXPECT_EQ(calls, (std::vector<Handler>{&DownloadForm::Text3_GotFocus}));
}

TEST_F(TextBoxFocusTest, ALossOfABoxTheFormDoesNotSeeAsFocusedIsIgnored) {
    gained(2);
    lost(4);
    gained(4);
    lost(2);  // already reported when box 4 took over
    EXPECT_EQ(calls,
              (std::vector<Handler>{&DownloadForm::Text2_GotFocus, &DownloadForm::Text2_LostFocus,
                                    &DownloadForm::Text4_GotFocus}));
    lost(4);
    EXPECT_EQ(calls.back(), &DownloadForm::Text4_LostFocus);
    EXPECT_EQ(focus.current(), 0);
}

}  // namespace
}  // namespace quibrant::test
