#pragma once

// The window's scenarios, written once against a WindowDriver and played on
// every toolkit's real window:
//   INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowScenarios, QtWindowDriver);
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/FormLayout.h"
#include "app/FormTexts.h"
#include "source/AccessCodeTable.h"
#include "support/FormFixture.h"
#include "window/WindowDriver.h"

namespace quibrant::test {

// A box is yellow while it has the focus, white once it has lost it.
inline constexpr platform::Color kFocusedBoxColor = 0x00FFFF;
inline constexpr platform::Color kLeftBoxColor = 0xFFFFFF;
// The file the folder picture proposes in the folder it picks.
inline constexpr const char* kCycledSetupName = "Quibrant6_Setup.exe";

// How a scenario that ends the program tells, through the exit code of the
// process it ran in, whether it ended as expected.
inline constexpr int kEndedAsExpected = 42;
inline constexpr int kEndedOtherwise = 43;

// A code the table accepts for a download from the current folder.
inline std::string acceptedCode() {
    for (const auto& entry : builtInAccessCodeTable()) {
        if (entry.category == 3) {
            return std::string(entry.code);
        }
    }
    return "";
}

template <typename Driver>
class WindowScenarios : public testing::Test {
  protected:
    void SetUp() override { d.start(); }

    bool downloadRequested() const {
        const auto& calls = d.inet.calls;
        return std::find(calls.begin(), calls.end(), "Execute GET") != calls.end();
    }

    Driver d;
};

TYPED_TEST_SUITE_P(WindowScenarios);

TYPED_TEST_P(WindowScenarios, StartUpPutsTheDefaultsInPlace) {
    WindowDriver& d = this->d;
    EXPECT_EQ(d.windowCaption(), texts::kWindowCaption);
    EXPECT_TRUE(d.checked("Option1_1"));
    EXPECT_FALSE(d.checked("Option1_0"));

    // The code box has the focus and is yellow; the others keep the toolkit's
    // colour until they first have it.
    EXPECT_EQ(d.focusName(), "Text4");
    EXPECT_EQ(d.backColor("Text4"), kFocusedBoxColor);
    EXPECT_EQ(d.backColor("Text1"), d.standardBoxColor());
    EXPECT_EQ(d.backColor("Text2"), d.standardBoxColor());
    EXPECT_EQ(d.mask("Text4"), kPasswordChar);

    for (const char* hidden :
         {"Text3", "Label1_2", "Option1_0", "Option1_1", "Picture1_1", "Frame1", "Label2"}) {
        EXPECT_FALSE(d.visible(hidden)) << hidden;
    }
    for (const char* shown : {"Text1", "Text2", "Text4", "Picture1_0", "Picture2_0", "Command1",
                              "Command2", "Command3", "Label1_0", "Label1_1", "Label1_3"}) {
        EXPECT_TRUE(d.visible(shown)) << shown;
    }
}

TYPED_TEST_P(WindowScenarios, FocusFollowsTheTabOrder) {
    WindowDriver& d = this->d;
    std::vector<std::string> visited;
    for (int i = 0; i < 9; ++i) {
        d.press(Key::Tab);
        visited.push_back(d.focusName());
    }
    EXPECT_EQ(visited,
              (std::vector<std::string>{"Command1", "Command2", "Text1", "Text2", "Picture1_0",
                                        "Command3", "Picture2_0", "Text4", "Command1"}));
    d.press(Key::BackTab);
    EXPECT_EQ(d.focusName(), "Text4");
    d.press(Key::BackTab);
    EXPECT_EQ(d.focusName(), "Picture2_0");
}

TYPED_TEST_P(WindowScenarios, EnterMovesOnAndEvaluatesTheCode) {
    WindowDriver& d = this->d;
    d.type("xq1");
    d.press(Key::Enter);
    EXPECT_EQ(d.focusName(), "Command1");
    EXPECT_EQ(d.text("Text4"), "xq1");
    EXPECT_EQ(d.backColor("Text4"), kLeftBoxColor);
    // Leaving the code box evaluated the code, which names a file.
    EXPECT_FALSE(d.text("Text1").empty());

    d.click("Text1");
    const std::string source = d.text("Text1");
    d.press(Key::KeypadEnter);
    EXPECT_EQ(d.focusName(), "Text2");
    EXPECT_EQ(d.text("Text1"), source);
    d.press(Key::Enter);
    // Enter moves onto the padlock without clicking it.
    EXPECT_EQ(d.focusName(), "Picture1_0");
    EXPECT_EQ(d.mask("Text4"), kPasswordChar);
}

TYPED_TEST_P(WindowScenarios, BoxesAreYellowWithTheFocusAndWhiteAfter) {
    WindowDriver& d = this->d;
    d.click("Text1");
    EXPECT_EQ(d.backColor("Text1"), kFocusedBoxColor);
    EXPECT_EQ(d.backColor("Text4"), kLeftBoxColor);
    d.press(Key::Tab);
    EXPECT_EQ(d.backColor("Text1"), kLeftBoxColor);
    EXPECT_EQ(d.backColor("Text2"), kFocusedBoxColor);

    // Another window taking over does not take the focus from the form.
    d.activateAnotherWindow();
    EXPECT_EQ(d.backColor("Text2"), kFocusedBoxColor);
    d.activateAgain();
    EXPECT_EQ(d.focusName(), "Text2");
    EXPECT_EQ(d.backColor("Text2"), kFocusedBoxColor);
    EXPECT_EQ(d.backColor("Text1"), kLeftBoxColor);
}

TYPED_TEST_P(WindowScenarios, ThePadlockFlipsTheMaskAndReturnsTheFocus) {
    WindowDriver& d = this->d;
    d.type("abc");
    d.click("Picture1_0");
    EXPECT_EQ(d.mask("Text4"), "");
    EXPECT_TRUE(d.visible("Picture1_1"));
    EXPECT_FALSE(d.visible("Picture1_0"));
    EXPECT_EQ(d.focusName(), "Text4");
    EXPECT_EQ(d.backColor("Text4"), kFocusedBoxColor);

    d.click("Picture1_1");
    EXPECT_EQ(d.mask("Text4"), kPasswordChar);
    EXPECT_EQ(d.text("Text4"), "abc");
    EXPECT_TRUE(d.visible("Picture1_0"));
    EXPECT_FALSE(d.visible("Picture1_1"));
    EXPECT_EQ(d.focusName(), "Text4");
}

TYPED_TEST_P(WindowScenarios, PicturesTakeSpaceAndLetEnterMoveOn) {
    WindowDriver& d = this->d;
    d.focus("Picture2_0");
    d.press(Key::Space);
    EXPECT_EQ(d.text("Text2"), WindowFakes::in(d.tempFolder, kCycledSetupName));
    // A path the user edited survives an Enter on the arrows.
    const std::string edited = WindowFakes::in(d.profile, "mio.exe");
    d.setText("Text2", edited);
    d.focus("Picture2_0");
    d.press(Key::Enter);
    EXPECT_EQ(d.text("Text2"), edited);
    EXPECT_EQ(d.focusName(), "Text4");

    d.focus("Picture1_0");
    d.press(Key::KeypadEnter);
    EXPECT_EQ(d.mask("Text4"), kPasswordChar);
    EXPECT_EQ(d.focusName(), "Command3");
    d.focus("Picture1_0");
    d.press(Key::Space);
    EXPECT_EQ(d.mask("Text4"), "");
    EXPECT_EQ(d.focusName(), "Text4");
}

TYPED_TEST_P(WindowScenarios, AButtonClickSeesTheCodeTypedLast) {
    WindowDriver& d = this->d;
    d.type(acceptedCode());
    d.click("Command2");
    // The code was evaluated before the download was asked for: no refusal,
    // and the request went out.
    EXPECT_TRUE(d.messages.shown.empty());
    EXPECT_TRUE(this->downloadRequested());
    EXPECT_TRUE(d.visible("Frame1"));
    EXPECT_TRUE(d.visible("ProgressBar1"));
    // The frame disables what it holds.
    for (const char* input : {"Frame2", "Text4", "Text2", "Command1", "Picture2_0"}) {
        EXPECT_FALSE(d.enabled(input)) << input;
    }
}

TYPED_TEST_P(WindowScenarios, ClosingWhileIdleEndsTheProgramQuietly) {
    WindowDriver& d = this->d;
    d.close();
    EXPECT_TRUE(d.closed());
    EXPECT_EQ(d.inet.cancels, 1);
    EXPECT_FALSE(d.process.ended);
    EXPECT_TRUE(d.messages.shown.empty());
}

// The window is closed while a download's loop lets events run: the download
// is abandoned and the program ends there, as returning would resume the
// loop. It ends for real, so the close is played in a process of its own.
TYPED_TEST_P(WindowScenarios, ClosingInsideADownloadLoopEndsAtOnce) {
    WindowDriver& d = this->d;
    d.type(acceptedCode());
    d.click("Command2");
    ASSERT_TRUE(this->downloadRequested());
    EXPECT_EXIT(
        {
            d.process.whenEnded = [&d] {
                std::_Exit(d.inet.cancels == 1 && d.messages.shown.empty() ? kEndedAsExpected
                                                                           : kEndedOtherwise);
            };
            d.postClose();
            DownloadFormTestAccess::controls(d.form()).window->doEvents();
        },
        testing::ExitedWithCode(kEndedAsExpected), "");
}

REGISTER_TYPED_TEST_SUITE_P(WindowScenarios, StartUpPutsTheDefaultsInPlace, FocusFollowsTheTabOrder,
                            EnterMovesOnAndEvaluatesTheCode,
                            BoxesAreYellowWithTheFocusAndWhiteAfter,
                            ThePadlockFlipsTheMaskAndReturnsTheFocus,
                            PicturesTakeSpaceAndLetEnterMoveOn, AButtonClickSeesTheCodeTypedLast,
                            ClosingWhileIdleEndsTheProgramQuietly,
                            ClosingInsideADownloadLoopEndsAtOnce);

}  // namespace quibrant::test
