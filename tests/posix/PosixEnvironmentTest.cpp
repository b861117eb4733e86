#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Each user has a temporary folder of their own, as on Windows, never the
// shared /tmp: there another user's file could hold the installer's name.
TEST_F(PosixEnvironmentTest, TheTemporaryFolderIsTheUsersOwn) {
    const auto privateFolder = [](const std::string& folder) {
        struct stat info {};
        return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
               (info.st_mode & 0777) == 0700 && info.st_uid == geteuid();
    };
    const std::string user = getpwuid(geteuid())->pw_name;
    const std::string inPrefix = s / ("prefix/drive_c/users/" + user + "/AppData/Local/Temp");
    EXPECT_EQ(environment.variable("tmp"), inPrefix);
    EXPECT_EQ(environment.variable("TEMP"), inPrefix);
    EXPECT_TRUE(privateFolder(inPrefix));

    s.variables.set("WINEPREFIX", s / "sin-prefijo");
    s.variables.set("XDG_CACHE_HOME", s / "cache");
    EXPECT_EQ(environment.variable("temp"), s / "cache/quibrant-descarga");
    EXPECT_TRUE(privateFolder(s / "cache/quibrant-descarga"));
    s.variables.unset("XDG_CACHE_HOME");
    EXPECT_EQ(environment.variable("temp"), s / "home/.cache/quibrant-descarga");

    // The folder the user chose comes first.
    s.variables.set("TMPDIR", "/var/tmp");
    EXPECT_EQ(environment.variable("temp"), "/var/tmp");
    EXPECT_EQ(environment.variable("tmp"), s / "home/.cache/quibrant-descarga");
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

TEST_F(PosixEnvironmentTest, StartUpTakesTheUsersOwnTemporaryFolderAndTheHomeFolder) {
    s.variables.set("TEMP", s / "no existe");
    const FormState& state = load();
    EXPECT_EQ(state.TempFolder, posix::canonicalPath(environment.variable("temp")) + "/");
    EXPECT_EQ(state.DesktopFolder, s / "home/Desktop/");
}

TEST_F(PosixEnvironmentTest, NoHomeAtAllLeavesTheDesktopAtTheTemporaryFolder) {
    s.variables.unset("HOME");
    s.makeFolder("tmp");
    s.variables.set("TMPDIR", s / "tmp");
    const FormState& state = load();
    EXPECT_EQ(state.TempFolder, s / "tmp/");
    EXPECT_EQ(state.DesktopFolder, state.TempFolder);
}

}  // namespace
}  // namespace quibrant::test
