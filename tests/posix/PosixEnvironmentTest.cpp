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
    TempFolder& t = s.t;
    platform::Environment& environment = s.environment;
};

TEST_F(PosixEnvironmentTest, TmpFallsBackToTmpdirThenToSlashTmp) {
    EXPECT_EQ(environment.variable("tmp"), "/tmp");
    s.setVariable("TMPDIR", "/var/tmp");
    EXPECT_EQ(environment.variable("tmp"), "/var/tmp");
    s.setVariable("TMP", t / "tmp");
    EXPECT_EQ(environment.variable("tmp"), t / "tmp");
}

TEST_F(PosixEnvironmentTest, HomeStandsInForHomeDriveAndProfile) {
    EXPECT_EQ(environment.variable("HOMEDRIVE"), t / "home");
    EXPECT_EQ(environment.variable("userprofile"), t / "home");
    s.setVariable("USERPROFILE", "/elsewhere");
    EXPECT_EQ(environment.variable("userprofile"), "/elsewhere");
}

TEST_F(PosixEnvironmentTest, DesktopIsTheXdgDesktopWhenConfigured) {
    const std::string home = t / "home";
    t.makeFolder("home/.config");
    std::ofstream(home + "/.config/user-dirs.dirs")
        << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Escritorio\"\n";
    EXPECT_EQ(environment.desktopFolderOf(home), home + "/Escritorio");

    // A desktop switched off (pointing at home) falls back to home/Desktop.
    std::ofstream(home + "/.config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/\"\n";
    EXPECT_EQ(environment.desktopFolderOf(home), home + "/Desktop");
}

TEST_F(PosixEnvironmentTest, StartUpFallsBackToSlashTmpAndTheHomeFolder) {
    s.setVariable("TEMP", t / "no existe");
    const FormState& state = load();
    EXPECT_EQ(state.TempFolder, "/tmp/");
    EXPECT_EQ(state.DesktopFolder, t / "home/Desktop/");
}

TEST_F(PosixEnvironmentTest, NoHomeAtAllLeavesTheDesktopAtTheTemporaryFolder) {
    s.unsetVariable("HOME");
    s.makeFolder("tmp");
    s.setVariable("TMP", t / "tmp");
    const FormState& state = load();
    EXPECT_EQ(state.TempFolder, t / "tmp/");
    EXPECT_EQ(state.DesktopFolder, state.TempFolder);
}

}  // namespace
}  // namespace quibrant::test
