#include <gtest/gtest.h>

#include "install/InstallTestPaths.h"
#include "support/FormFixture.h"

namespace quibrant::test {
namespace {

using platform::kSep;

std::string path(std::initializer_list<std::string> names) {
    return joinPath(names);
}

constexpr const char* kDefault = "/home/user/";

class DiscoveryTest : public ::testing::Test {
  protected:
    FormFixture f;

    void SetUp() override {
        f.fs().driveRoot = kDefault;
        f.create();
    }

    void installAt(const std::string& folder, const std::string* ini = nullptr) {
        f.fs().folders.insert(folder);
        if (ini != nullptr) {
            f.fs().files[path({folder, "Quibrant.ini"})].bytes = *ini;
        }
    }

    // An installation at c:\Quibrant7 whose ini file holds `ini`.
    void installWithIni(const std::string& ini) { installAt(path({"c:", "Quibrant7"}), &ini); }

    std::string discover() {
        DownloadFormTestAccess::FindExistingInstallation(*f.form);
        return f.state().InstallFolder;
    }

    int count(const std::string& call) {
        int n = 0;
        for (const std::string& c : f.fs().calls) {
            n += c == call ? 1 : 0;
        }
        return n;
    }
};

TEST_F(DiscoveryTest, NothingFoundProbesEveryDriveAndCandidateInOrder) {
    EXPECT_EQ(discover(), kDefault);
    const auto& calls = f.fs().calls;
    ASSERT_EQ(calls.size(), 96u);
    EXPECT_EQ(calls[0], "FolderExists " + path({"c:", "Quibrant7"}));
    EXPECT_EQ(calls[1], "FolderExists " + path({"c:", "Quibrant", "Quibrant7"}));
    EXPECT_EQ(calls[2], "FolderExists " + path({"c:", "Quibrant6"}));
    EXPECT_EQ(calls[3], "FolderExists " + path({"c:", "Quibrant", "Quibrant6"}));
    EXPECT_EQ(calls[4], "FolderExists " + path({"d:", "Quibrant7"}));
    EXPECT_EQ(calls[95], "FolderExists " + path({"z:", "Quibrant", "Quibrant6"}));
    EXPECT_EQ(count("FolderExists " + path({"a:", "Quibrant7"})), 0);
    EXPECT_EQ(count("FolderExists " + path({"b:", "Quibrant7"})), 0);
}

TEST_F(DiscoveryTest, EarlierDriveBeatsNewerVersionAndVersionOrderHoldsWithinADrive) {
    const std::string cIni = "UBICACIONSERVIDOR=" + path({"S:", "DeC"});
    const std::string dIni = "UBICACIONSERVIDOR=" + path({"S:", "DeD"});
    installAt(path({"c:", "Quibrant6"}), &cIni);
    installAt(path({"d:", "Quibrant7"}), &dIni);
    EXPECT_EQ(discover(), path({"S:", "DeC", "Setup"}) + kSep);
    EXPECT_EQ(count("FolderExists " + path({"d:", "Quibrant7"})), 0);
}

TEST_F(DiscoveryTest, FirstHitWithoutIniFileStopsTheScan) {
    const std::string ini = "UBICACIONSERVIDOR=" + path({"S:", "Server"});
    installAt(path({"c:", "Quibrant7"}));
    installAt(path({"d:", "Quibrant7"}), &ini);
    EXPECT_EQ(discover(), kDefault);
    EXPECT_EQ(count("FolderExists " + path({"d:", "Quibrant7"})), 0);
    EXPECT_EQ(count("OpenTextFile " + path({"d:", "Quibrant7", "Quibrant.ini"})), 0);
}

TEST_F(DiscoveryTest, KeyInAnyCaseAndIndentedIsFoundAndSetupIsCreated) {
    const std::string server = path({"S:", "Server", "Quibrant"});
    installWithIni("[General]\r\n   ubicacionServidor=" + server + "   \r\nOtra=1\r\n");
    f.fs().folders.insert(server);
    EXPECT_EQ(discover(), path({server, "Setup"}) + kSep);
    EXPECT_EQ(count("CreateFolder " + path({server, "Setup"})), 1);
}

TEST_F(DiscoveryTest, SetupThatCannotBeCreatedLeavesTheDefault) {
    installWithIni("UBICACIONSERVIDOR=" + path({"S:", "Server"}));
    f.fs().failing.insert(path({"S:", "Server", "Setup"}));
    EXPECT_EQ(discover(), kDefault);
}

// A folder service that accepts the creation but never shows the folder, as
// an unreachable network location can.
class VanishingFolders : public FakeFileSystem {
  public:
    void CreateFolder(const std::string& path) override { calls.push_back("CreateFolder " + path); }
};

TEST_F(DiscoveryTest, SetupThatCannotBeConfirmedLeavesTheDefault) {
    f.fileSystems.next = std::make_unique<VanishingFolders>();
    f.fs().driveRoot = kDefault;
    installWithIni("UBICACIONSERVIDOR=" + path({"S:", "Server"}));
    EXPECT_EQ(discover(), kDefault);
    EXPECT_EQ(count("CreateFolder " + path({"S:", "Server", "Setup"})), 1);
}

TEST_F(DiscoveryTest, KeyLineWithoutValueEndsTheSearchWithTheDefault) {
    for (const std::string bare : {"UBICACIONSERVIDOR", "UBICACIONSERVIDOR=",
                                   "UBICACIONSERVIDOR=   ", "UBICACIONSERVIDOR =  "}) {
        SCOPED_TRACE(bare);
        FormFixture g;
        g.fs().driveRoot = kDefault;
        g.fs().folders.insert(path({"c:", "Quibrant7"}));
        g.fs().files[path({"c:", "Quibrant7", "Quibrant.ini"})].bytes =
            bare + "\nUBICACIONSERVIDOR=" + path({"S:", "Despues"}) + "\n";
        g.create();
        DownloadFormTestAccess::FindExistingInstallation(*g.form);
        EXPECT_EQ(g.state().InstallFolder, kDefault);
    }
}

TEST_F(DiscoveryTest, BlankAndSpaceOnlyLinesBeforeTheKeyAreSkipped) {
    installWithIni("[Quibrant]\r\nVersion=7\r\n\r\n   \r\n[Red]\r\nUBICACIONSERVIDOR=" +
                   path({"S:", "Server"}) + "\r\n");
    EXPECT_EQ(discover(), path({"S:", "Server", "Setup"}) + kSep);
}

TEST_F(DiscoveryTest, EmptyFirstLineDoesNotHideTheKey) {
    installWithIni("\nUBICACIONSERVIDOR=" + path({"S:", "Server"}));
    EXPECT_EQ(discover(), path({"S:", "Server", "Setup"}) + kSep);
}

TEST_F(DiscoveryTest, UnreadableIniFileLeavesTheDefaultSilently) {
    installWithIni("UBICACIONSERVIDOR=" + path({"S:", "Server"}));
    f.fs().failing.insert(path({"c:", "Quibrant7", "Quibrant.ini"}));
    EXPECT_EQ(discover(), kDefault);
    EXPECT_TRUE(f.messages.shown.empty());
}

// An ini file no installation writes: no server location is taken from it.
TEST_F(DiscoveryTest, AnIniFileNoInstallationWritesLeavesTheDefault) {
    const std::string key = "UBICACIONSERVIDOR=" + path({"S:", "Server"});
    for (const std::string& ini :
         {std::string(70000, 'x') + "\n" + key, std::string(1100000, '\n') + key,
          key + std::string(1, '\0') + "Otro"}) {
        SCOPED_TRACE(ini.size());
        installWithIni(ini);
        EXPECT_EQ(discover(), kDefault);
    }
    EXPECT_EQ(count("CreateFolder " + path({"S:", "Server", "Setup"})), 0);
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST_F(DiscoveryTest, FailingProbeEndsTheScanWithTheDefault) {
    const std::string ini = "UBICACIONSERVIDOR=" + path({"S:", "Server"});
    f.fs().failing.insert(path({"e:", "Quibrant7"}));
    installAt(path({"f:", "Quibrant7"}), &ini);
    EXPECT_EQ(discover(), kDefault);
    EXPECT_EQ(count("FolderExists " + path({"f:", "Quibrant7"})), 0);
}

TEST_F(DiscoveryTest, SpacesAroundTheEqualsSignAreNotPartOfTheValue) {
    for (const std::string separator : {" = ", " =", "   =   ", " "}) {
        SCOPED_TRACE("[" + separator + "]");
        FormFixture g;
        g.fs().driveRoot = kDefault;
        g.fs().folders.insert(path({"c:", "Quibrant7"}));
        g.fs().files[path({"c:", "Quibrant7", "Quibrant.ini"})].bytes =
            "UBICACIONSERVIDOR" + separator + path({"S:", "Server"});
        g.create();
        DownloadFormTestAccess::FindExistingInstallation(*g.form);
        EXPECT_EQ(g.state().InstallFolder, path({"S:", "Server", "Setup"}) + kSep);
    }
}

TEST_F(DiscoveryTest, OnlyTheFirstSeventeenCharactersAreTheKey) {
    // The name goes on past the key: its 18th character is taken as the
    // separator, so the value starts with what follows it.
    installWithIni("UBICACIONSERVIDORX=" + path({"S:", "Server"}));
    EXPECT_EQ(discover(), "=" + path({"S:", "Server", "Setup"}) + kSep);
}

// A file service whose paths differ from the way the ini file writes them.
class MappedFolders : public FakeFileSystem {
  public:
    std::string mapPath(const std::string& path) override {
        return path.rfind("S:", 0) == 0 ? "/mnt/s" + path.substr(2) : path;
    }
};

TEST_F(DiscoveryTest, ValueIsReachedThroughThePlatformsPathMapping) {
    f.fileSystems.next = std::make_unique<MappedFolders>();
    f.fs().driveRoot = kDefault;
    installWithIni("UBICACIONSERVIDOR=" + path({"S:", "Server"}));
    EXPECT_EQ(discover(), "/mnt/s" + path({"", "Server", "Setup"}) + kSep);
}

}  // namespace
}  // namespace quibrant::test
