#include <gtest/gtest.h>

#include "ServicesSystem.h"
#include "contract/InstallContract.h"
#include "contract/ShellContract.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Windows, ShellContract, WindowsSystem);
INSTANTIATE_TYPED_TEST_SUITE_P(Windows, ShortcutContract, WindowsSystem);
INSTANTIATE_TYPED_TEST_SUITE_P(Windows, InstallContract, WindowsSystem);

namespace {

class InstallOnWindowsTest : public InstallContract<WindowsSystem> {};

TEST_F(InstallOnWindowsTest, AnAbsentDriveOrANetworkShareGetsTheNoticeAndTheShortcutsError) {
    const char absent = absentDriveLetter();
    ASSERT_NE(absent, '\0');
    for (const std::string& destination :
         {std::string(1, absent) + ":\\a.exe", std::string("\\\\servidor\\recurso\\a.exe")}) {
        SCOPED_TRACE(destination);
        f.messages.shown.clear();
        runInstaller(destination);
        ASSERT_EQ(f.messages.shown.size(), 2u);
        EXPECT_EQ(f.messages.shown[0].text, texts::kElevationNotice);
        EXPECT_EQ(f.messages.shown[1].text, install::shortcutFailureMessage(52));
    }
}

}  // namespace
}  // namespace quibrant::test
