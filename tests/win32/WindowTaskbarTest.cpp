// The window's button on the taskbar under wine, through the system's own
// ITaskbarList3 where the prefix has one. Wine's taskbar may never announce
// the button, so the test announces it as the taskbar would (as it does
// again after restarting).
#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "Win32WindowDriver.h"
#include "app/FormTexts.h"
#include "support/FormFixture.h"
#include "win32/window/Win32TaskbarButton.h"

namespace {

using quibrant::test::Win32WindowDriver;

TEST(WindowTaskbarTest, DownloadsSetTheButtonWithoutAFailedCall) {
    Win32WindowDriver f;
    f.start();
    SendMessageW(f.window->handle(), RegisterWindowMessageW(L"TaskbarButtonCreated"), 0, 0);
    const quibrant::win32::Win32TaskbarButton& button = f.window->taskbar();
    quibrant::DownloadForm& form = f.window->form();
    quibrant::DownloadFormTestAccess::state(form).CodeAccepted = quibrant::kTrue;
    SetWindowTextW(f.control("Text2"), L"C:\\quibrant-test-temp\\Quibrant_Setup.exe");

    // A failure shows the error while it is told, then the button is cleared.
    form.Command2_Click();
    f.inet.respond(std::string(64 * 1024, 'x'));
    f.inet.status = 404;
    f.inet.raise(quibrant::platform::InternetTransfer::kResponseCompleted);
    ASSERT_EQ(f.messages.shown.size(), 1u);

    form.Command2_Click();
    f.inet.respond(std::string(3 << 20, 'x'));
    EXPECT_THROW(f.inet.raise(quibrant::platform::InternetTransfer::kResponseCompleted),
                 quibrant::test::ProgramEnded);
    EXPECT_EQ(f.messages.shown.back().text, quibrant::texts::kDownloaded);

    if (button.connected()) {
        EXPECT_GT(button.succeededCalls(), 0);
    } else {
        std::cout << "note: this prefix's taskbar offers no ITaskbarList3; "
                     "the button was left alone\n";
    }
    EXPECT_EQ(button.failedCalls(), 0);
}

}  // namespace
