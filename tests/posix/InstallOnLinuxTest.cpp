#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "LinuxSystem.h"
#include "contract/InstallContract.h"
#include "install/Shortcut.h"
#include "platform/SystemReasons.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, InstallContract, LinuxSystem);

namespace {

namespace fs = std::filesystem;

// Discovery of an installation on the drives of a wine prefix: d: and the
// server's s: beside c:.
class DiscoveryOnLinuxTest : public InstallContract<LinuxSystem> {
  protected:
    void SetUp() override {
        InstallContract::SetUp();
        s.makeFolder("prefix/drive_d");
        s.makeFolder("servidor");
        s.link("../drive_d", "prefix/dosdevices/d:");
        s.link(s / "servidor", "prefix/dosdevices/s:");
    }

    std::string discover() {
        DownloadFormTestAccess::FindExistingInstallation(*f.form);
        return f.state().InstallFolder;
    }

    void ini(const std::string& installation, const std::string& text) {
        s.write("prefix/" + installation + "/Quibrant.ini", text);
    }
};

TEST_F(DiscoveryOnLinuxTest, TheFirstDriveWinsAndItsSetupFolderIsCreatedOnTheServer) {
    ini("drive_c/Quibrant6", "UBICACIONSERVIDOR=S:\\DeC\r\n");
    ini("drive_d/Quibrant7", "UBICACIONSERVIDOR=S:\\DeD\r\n");
    s.makeFolder("servidor/DeC");
    s.makeFolder("servidor/DeD");
    EXPECT_EQ(discover(), s / "prefix/dosdevices/s:/DeC/Setup/");
    EXPECT_TRUE(fs::is_directory(s / "servidor/DeC/Setup"));
    EXPECT_FALSE(fs::exists(s / "servidor/DeD/Setup"));
}

TEST_F(DiscoveryOnLinuxTest, AnExistingSetupFolderIsKeptAsItIs) {
    s.write("servidor/Server/Setup/Quibrant_Setup.exe", "MZ");
    ini("drive_c/Quibrant7", "UBICACIONSERVIDOR=S:\\Server");
    EXPECT_EQ(discover(), s / "prefix/dosdevices/s:/Server/Setup/");
    EXPECT_EQ(s.read("servidor/Server/Setup/Quibrant_Setup.exe"), "MZ");
}

TEST_F(DiscoveryOnLinuxTest, ASingleByteValueNamesTheFolderWithItsAccents) {
    ini("drive_c/Quibrant7", "UBICACIONSERVIDOR=S:\\A\xF1o\r\n");
    s.makeFolder("servidor/Año");
    EXPECT_EQ(discover(), s / "prefix/dosdevices/s:/Año/Setup/");
    EXPECT_TRUE(fs::is_directory(s / "servidor/Año/Setup"));
}

TEST_F(DiscoveryOnLinuxTest, DrivesAndNamesAreFoundInAnyLetterCase) {
    // A drive link, folders and an ini file named in other cases than the
    // program writes them, and an existing setup folder in lower case.
    s.link(s / "otro", "prefix/dosdevices/E:");
    s.write("otro/QUIBRANT/quibrant6/QUIBRANT.INI", "UBICACIONSERVIDOR=s:\\SERVER\\\r\n");
    s.makeFolder("servidor/Server/setup");
    EXPECT_EQ(discover(), s / "prefix/dosdevices/s:/Server/setup/");
    EXPECT_EQ(std::distance(fs::directory_iterator(s / "servidor/Server"), {}), 1);
}

TEST_F(DiscoveryOnLinuxTest, AnUnreadableIniFileLeavesTheDefaultSilently) {
    s.makeFolder("prefix/drive_c/Quibrant7");
    // The system refuses to read this one at its start.
    s.link("/proc/self/mem", "prefix/drive_c/Quibrant7/Quibrant.ini");
    EXPECT_EQ(discover(), s.systemDriveRoot());
    EXPECT_TRUE(f.messages.shown.empty());
}

// On a machine where no desktop session has run, the user's desktop folder
// is missing: the shortcut makes it, where the user's settings put it.
TEST(DesktopShortcutOnLinuxTest, AMissingDesktopIsCreatedForTheShortcut) {
    struct Case {
        const char* userDirs;  // user-dirs.dirs, nullptr for none
        const char* desktop;
    };
    for (const Case& c :
         {Case{nullptr, "home/Desktop"},
          Case{"XDG_DESKTOP_DIR=\"$HOME/Mi Escritorio/Hoy\"\n", "home/Mi Escritorio/Hoy"}}) {
        LinuxSystem s;
        if (c.userDirs != nullptr) {
            s.write("config/user-dirs.dirs", c.userDirs);
            s.variables.set("XDG_CONFIG_HOME", s / "config");
        }
        posix::PosixShellFactory userShells("", s.wine);
        FormFixture f;
        Services services = f.services();
        s.wire(services);
        services.shells = &userShells;
        f.form = std::make_unique<DownloadForm>(f.controls(), services);
        const std::string installer = s.write("dl/Quibrant_Setup.exe", "MZ");

        DownloadFormTestAccess::CreateDesktopShortcut(*f.form, installer);
        EXPECT_TRUE(f.messages.shown.empty()) << c.desktop;
        const std::string link =
            s.path(std::string(c.desktop) + "/" + install::kDesktopShortcutName + ".lnk");
        EXPECT_EQ(s.readLink(link).target, s.windowsPath(installer)) << c.desktop;
    }
}

// When the cause is known, the user reads it instead of the notice about the
// system's security, and the shortcut still follows.
using LaunchOnLinuxTest = InstallContract<LinuxSystem>;

TEST_F(LaunchOnLinuxTest, AKnownCauseIsToldBeforeTheShortcut) {
    const struct {
        const char* file;
        const char* bytes;
        std::string said;
    } cases[] = {
        {"Quibrant_Setup.exe", "MZ", "Instale el paquete \"wine\""},
        {"instalar", "no es un programa\n",
         std::string("(") +
             platform::failures::textOf(platform::failures::SystemReason::kNotAProgram).text + ")"},
    };
    const std::string path = std::getenv("PATH");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        s.variables.set("PATH", s / "bin");
        s.write(std::string("dl/") + c.file, c.bytes, 0755);
        f.messages.shown.clear();
        runInstaller(s / "dl/" + c.file);
        ASSERT_EQ(f.messages.shown.size(), 1u);
        EXPECT_NE(f.messages.shown[0].text.find(c.said), std::string::npos)
            << f.messages.shown[0].text;
        s.variables.set("PATH", path);
        EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Critical);
        EXPECT_EQ(s.readLink(s.path(desktopLink())).target, s.windowsPath(s.path("dl/") + c.file));
    }
}

}  // namespace
}  // namespace quibrant::test
