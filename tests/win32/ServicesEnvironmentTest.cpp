#include <gtest/gtest.h>

#include "ServicesSystem.h"
#include "contract/EnvironmentContract.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Windows, EnvironmentContract, WindowsSystem);
INSTANTIATE_TYPED_TEST_SUITE_P(Windows, SystemEnvironmentContract, WindowsSystem);

namespace {

class Win32EnvironmentTest : public SystemEnvironmentContract<WindowsSystem> {};

TEST_F(Win32EnvironmentTest, AShortNameWithItsFinalSeparatorKeepsIt) {
    s.makeFolder("Carpeta de nombre largo ñ");
    const std::string shortFolder = s.otherSpelling("Carpeta de nombre largo ñ");
    // The form adds no second separator then.
    EXPECT_EQ(s.environment.longPathName(shortFolder + "\\", 255),
              s.path("Carpeta de nombre largo ñ") + "\\");
}

TEST_F(Win32EnvironmentTest, StartUpFallsBackToTheHomeDriveAndThenToTheCurrentDrive) {
    const std::string drive = s.root.substr(0, 2);
    s.variables.unset("TEMP");
    s.variables.unset("TMP");
    s.variables.set("HOMEDRIVE", drive);
    EXPECT_EQ(load().TempFolder, drive + "\\");

    s.variables.unset("HOMEDRIVE");
    s.variables.unset("USERPROFILE");
    const FormState& state = load();
    EXPECT_EQ(state.TempFolder, "\\");
    EXPECT_EQ(state.DesktopFolder, "\\");
}

}  // namespace
}  // namespace quibrant::test
