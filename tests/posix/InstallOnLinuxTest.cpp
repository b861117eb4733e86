#include <gtest/gtest.h>

#include <filesystem>

#include "LinuxSystem.h"
#include "contract/InstallContract.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, InstallContract, LinuxSystem);

namespace {

namespace fs = std::filesystem;

// Discovery of an installation on the drives of a wine prefix: d: and the
// server's s: beside c:.
class DiscoveryOnLinuxTest : public InstallContract<LinuxSystem> {
  protected:
    TempFolder& t = s.t;

    void SetUp() override {
        InstallContract::SetUp();
        t.makeFolder("prefix/drive_d");
        t.makeFolder("servidor");
        t.link("../drive_d", "prefix/dosdevices/d:");
        t.link(t / "servidor", "prefix/dosdevices/s:");
    }

    std::string discover() {
        DownloadFormTestAccess::FindExistingInstallation(*f.form);
        return f.state().InstallFolder;
    }

    void ini(const std::string& installation, const std::string& text) {
        t.write("prefix/" + installation + "/Quibrant.ini", text);
    }
};

TEST_F(DiscoveryOnLinuxTest, TheFirstDriveWinsAndItsSetupFolderIsCreatedOnTheServer) {
    ini("drive_c/Quibrant6", "UBICACIONSERVIDOR=S:\\DeC\r\n");
    ini("drive_d/Quibrant7", "UBICACIONSERVIDOR=S:\\DeD\r\n");
    t.makeFolder("servidor/DeC");
    t.makeFolder("servidor/DeD");
    EXPECT_EQ(discover(), t / "prefix/dosdevices/s:/DeC/Setup/");
    EXPECT_TRUE(fs::is_directory(t / "servidor/DeC/Setup"));
    EXPECT_FALSE(fs::exists(t / "servidor/DeD/Setup"));
}

TEST_F(DiscoveryOnLinuxTest, AnExistingSetupFolderIsKeptAsItIs) {
    t.write("servidor/Server/Setup/Quibrant_Setup.exe", "MZ");
    ini("drive_c/Quibrant7", "UBICACIONSERVIDOR=S:\\Server");
    EXPECT_EQ(discover(), t / "prefix/dosdevices/s:/Server/Setup/");
    EXPECT_EQ(readFile(t / "servidor/Server/Setup/Quibrant_Setup.exe"), "MZ");
}

TEST_F(DiscoveryOnLinuxTest, ASingleByteValueNamesTheFolderWithItsAccents) {
    ini("drive_c/Quibrant7", "UBICACIONSERVIDOR=S:\\A\xF1o\r\n");
    t.makeFolder("servidor/Año");
    EXPECT_EQ(discover(), t / "prefix/dosdevices/s:/Año/Setup/");
    EXPECT_TRUE(fs::is_directory(t / "servidor/Año/Setup"));
}

TEST_F(DiscoveryOnLinuxTest, AServerFolderThatIsMissingLeavesTheDefault) {
    ini("drive_c/Quibrant7", "UBICACIONSERVIDOR=S:\\NoExiste\\Quibrant\r\n");
    EXPECT_EQ(discover(), s.systemDriveRoot());
    EXPECT_FALSE(fs::exists(t / "servidor/NoExiste"));
}

TEST_F(DiscoveryOnLinuxTest, AnUnreadableIniFileLeavesTheDefaultSilently) {
    t.makeFolder("prefix/drive_c/Quibrant7");
    // The system refuses to read this one at its start.
    t.link("/proc/self/mem", "prefix/drive_c/Quibrant7/Quibrant.ini");
    EXPECT_EQ(discover(), s.systemDriveRoot());
    EXPECT_TRUE(f.messages.shown.empty());
}

}  // namespace
}  // namespace quibrant::test
