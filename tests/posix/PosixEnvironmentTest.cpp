#include <gtest/gtest.h>

#include <fstream>

#include "LinuxSystem.h"
#include "contract/EnvironmentContract.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, EnvironmentContract, LinuxSystem);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, SystemEnvironmentContract, LinuxSystem);

namespace {

// The Windows names the program asks for, mapped to their Linux counterparts.
class PosixEnvironmentTest : public SystemEnvironmentContract<LinuxSystem> {
  protected:
    platform::Environment& environment = s.environment;
};

TEST_F(PosixEnvironmentTest, TmpFallsBackToTmpdirThenToSlashTmp) {
    EXPECT_EQ(environment.variable("tmp"), "/tmp");
    s.variables.set("TMPDIR", "/var/tmp");
    EXPECT_EQ(environment.variable("tmp"), "/var/tmp");
    s.variables.set("TMP", s / "tmp");
    EXPECT_EQ(environment.variable("tmp"), s / "tmp");
}

TEST_F(PosixEnvironmentTest, HomeStandsInForHomeDriveAndProfile) {
    EXPECT_EQ(environment.variable("HOMEDRIVE"), s / "home");
    EXPECT_EQ(environment.variable("userprofile"), s / "home");
    s.variables.set("USERPROFILE", "/elsewhere");
    EXPECT_EQ(environment.variable("userprofile"), "/elsewhere");
}

TEST_F(PosixEnvironmentTest, DesktopIsTheXdgDesktopWhenConfigured) {
    const std::string home = s / "home";
    s.makeFolder("home/.config");
    std::ofstream(home + "/.config/user-dirs.dirs")
        << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Escritorio\"\n";
    EXPECT_EQ(environment.desktopFolderOf(home), home + "/Escritorio");

    // A desktop switched off (pointing at home) falls back to home/Desktop.
    std::ofstream(home + "/.config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/\"\n";
    EXPECT_EQ(environment.desktopFolderOf(home), home + "/Desktop");
}

TEST_F(PosixEnvironmentTest, StartUpFallsBackToSlashTmpAndTheHomeFolder) {
    s.variables.set("TEMP", s / "no existe");
    const FormState& state = load();
    EXPECT_EQ(state.TempFolder, "/tmp/");
    EXPECT_EQ(state.DesktopFolder, s / "home/Desktop/");
}

TEST_F(PosixEnvironmentTest, NoHomeAtAllLeavesTheDesktopAtTheTemporaryFolder) {
    s.variables.unset("HOME");
    s.makeFolder("tmp");
    s.variables.set("TMP", s / "tmp");
    const FormState& state = load();
    EXPECT_EQ(state.TempFolder, s / "tmp/");
    EXPECT_EQ(state.DesktopFolder, state.TempFolder);
}

}  // namespace
}  // namespace quibrant::test
