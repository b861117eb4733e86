#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "LnkInfo.h"
#include "TempFolder.h"
#include "posix/PosixFileSystem.h"
#include "posix/PosixProcess.h"
#include "posix/PosixShell.h"
#include "support/FormFixture.h"

namespace quibrant::test {
namespace {

constexpr const char* kLinkFile = "Instalar Actualización Quibrant 6.lnk";
constexpr const char* kNotice =
    "Debido a la siguridad de Cuentas de Usuario, la INSTALACION debe finalizarse atraves del "
    "acceso directo creado en su escritorio.";
constexpr const char* kRecordingInstaller = "#!/bin/sh\npwd -P > carpeta.txt\n";

// The real process services, except that the program's end comes back to the
// test instead of ending it.
class EndingProcess : public posix::PosixProcess {
  public:
    using PosixProcess::PosixProcess;
    [[noreturn]] void end() override { throw ProgramEnded{}; }
};

std::string canonicalOf(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

std::size_t entriesIn(const std::string& folder) {
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        static_cast<void>(entry);
        ++n;
    }
    return n;
}

// The window's install operations on the Linux services, on a wine prefix
// and a desktop made in a temporary folder.
class InstallOnLinuxTest : public ::testing::Test {
  protected:
    TempFolder t;
    ScopedVariable prefix{"WINEPREFIX", t / "prefix"};
    FormFixture f;
    posix::PosixFileSystemFactory fileSystems;
    EndingProcess process{posix::WinePaths(t / "prefix")};
    posix::PosixShellFactory shells{t / "Escritorio", posix::WinePaths(t / "prefix")};
    std::unique_ptr<DownloadForm> form;
    std::string startFolder;
    std::string defaultFolder;

    void SetUp() override {
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        startFolder = cwd;
        t.makeFolder("prefix/drive_c");
        t.makeFolder("prefix/drive_d");
        t.makeFolder("servidor");
        t.makeFolder("Escritorio");
        t.link("../drive_c", "prefix/dosdevices/c:");
        t.link("../drive_d", "prefix/dosdevices/d:");
        t.link(t / "servidor", "prefix/dosdevices/s:");
        defaultFolder = t / "prefix/dosdevices/c:/";

        Services services = f.services();
        services.fileSystems = &fileSystems;
        services.process = &process;
        services.shells = &shells;
        form = std::make_unique<DownloadForm>(f.controls(), services);
    }

    void TearDown() override { EXPECT_EQ(chdir(startFolder.c_str()), 0); }

    std::string discover() {
        DownloadFormTestAccess::FindExistingInstallation(*form);
        return form->state().InstallFolder;
    }

    void ini(const std::string& installation, const std::string& text) {
        t.write("prefix/" + installation + "/Quibrant.ini", text);
    }

    void runInstaller(const std::string& destination) {
        f.Text2.setText(destination);
        EXPECT_THROW(DownloadFormTestAccess::RunInstaller(*form), ProgramEnded);
    }
};

TEST_F(InstallOnLinuxTest, NothingInstalledLeavesDriveC) {
    EXPECT_EQ(discover(), defaultFolder);
}

TEST_F(InstallOnLinuxTest, DriveOrderComesBeforeVersionOrder) {
    ini("drive_c/Quibrant6", "UBICACIONSERVIDOR=S:\\DeC\r\n");
    ini("drive_d/Quibrant7", "UBICACIONSERVIDOR=S:\\DeD\r\n");
    t.makeFolder("servidor/DeC");
    t.makeFolder("servidor/DeD");
    EXPECT_EQ(discover(), t / "prefix/dosdevices/s:/DeC/Setup/");
    EXPECT_TRUE(std::filesystem::is_directory(t / "servidor/DeC/Setup"));
    EXPECT_FALSE(std::filesystem::exists(t / "servidor/DeD/Setup"));
}

TEST_F(InstallOnLinuxTest, Version7InTheProductFolderBeatsVersion6) {
    ini("drive_d/Quibrant/Quibrant7", "UBICACIONSERVIDOR=S:\\Siete");
    ini("drive_d/Quibrant6", "UBICACIONSERVIDOR=S:\\Seis");
    t.makeFolder("servidor/Siete");
    t.makeFolder("servidor/Seis");
    EXPECT_EQ(discover(), t / "prefix/dosdevices/s:/Siete/Setup/");
}

TEST_F(InstallOnLinuxTest, FirstInstallationWithoutIniFileStopsTheScan) {
    t.makeFolder("prefix/drive_c/Quibrant7");
    ini("drive_d/Quibrant7", "UBICACIONSERVIDOR=S:\\Server");
    t.makeFolder("servidor/Server");
    EXPECT_EQ(discover(), defaultFolder);
    EXPECT_FALSE(std::filesystem::exists(t / "servidor/Server/Setup"));
}

TEST_F(InstallOnLinuxTest, IniFileVariantsOfTheKeyLine) {
    t.makeFolder("servidor/Server/Quibrant");
    const std::string found = t / "prefix/dosdevices/s:/Server/Quibrant/Setup/";
    struct Case {
        const char* what;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"lower case, indented", "[Red]\r\n    ubicacionservidor=S:\\Server\\Quibrant  \r\n",
         found},
        {"final separator", "UBICACIONSERVIDOR=S:\\Server\\Quibrant\\\r\n", found},
        {"spaces around =", "UBICACIONSERVIDOR = S:\\Server\\Quibrant\r\n", found},
        {"two key lines",
         "UBICACIONSERVIDOR=S:\\Server\\Quibrant\r\nUBICACIONSERVIDOR=S:\\Otro\r\n", found},
        {"blank line before the key",
         "[General]\r\nA=1\r\n\r\n  \r\nUBICACIONSERVIDOR=S:\\Server\\Quibrant", found},
        {"nothing after the key",
         "UBICACIONSERVIDOR=\r\nUBICACIONSERVIDOR=S:\\Server\\Quibrant\r\n", defaultFolder},
        {"empty file", "", defaultFolder},
        {"parent missing", "UBICACIONSERVIDOR=S:\\NoExiste\\Quibrant\r\n", defaultFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(t / "servidor/Server/Quibrant/Setup");
        ini("drive_c/Quibrant7", c.text);
        EXPECT_EQ(discover(), c.expected);
        EXPECT_EQ(std::filesystem::is_directory(t / "servidor/Server/Quibrant/Setup"),
                  c.expected == found);
    }
    EXPECT_FALSE(std::filesystem::exists(t / "servidor/NoExiste"));
}

TEST_F(InstallOnLinuxTest, ExistingSetupFolderIsKept) {
    t.write("servidor/Server/Setup/Quibrant_Setup.exe", "MZ");
    ini("drive_c/Quibrant7", "UBICACIONSERVIDOR=S:\\Server");
    EXPECT_EQ(discover(), t / "prefix/dosdevices/s:/Server/Setup/");
    EXPECT_EQ(readFile(t / "servidor/Server/Setup/Quibrant_Setup.exe"), "MZ");
}

TEST_F(InstallOnLinuxTest, SingleByteValueNamesTheFolderWithItsAccents) {
    ini("drive_c/Quibrant7", "UBICACIONSERVIDOR=S:\\A\xF1o\r\n");
    t.makeFolder("servidor/Año");
    EXPECT_EQ(discover(), t / "prefix/dosdevices/s:/Año/Setup/");
    EXPECT_TRUE(std::filesystem::is_directory(t / "servidor/Año/Setup"));
}

TEST_F(InstallOnLinuxTest, UnreadableIniFileLeavesTheDefault) {
    t.makeFolder("prefix/drive_c/Quibrant7");
    // The system refuses to read this one at its start.
    t.link("/proc/self/mem", "prefix/drive_c/Quibrant7/Quibrant.ini");
    EXPECT_EQ(discover(), defaultFolder);
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST_F(InstallOnLinuxTest, InstallerStartsInItsOwnFolderAndTheProgramEndsQuietly) {
    const std::string installer = t.write("dl/Instalar Quibrant", kRecordingInstaller, 0755);
    runInstaller(installer);
    ASSERT_TRUE(waitForFile(t / "dl/carpeta.txt"));
    EXPECT_EQ(readFile(t / "dl/carpeta.txt"), canonicalOf(t / "dl") + "\n");
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_EQ(entriesIn(t / "Escritorio"), 0u);
}

TEST_F(InstallOnLinuxTest, InstallerThatCannotStartLeavesAShortcutAfterTheNotice) {
    const std::string notProgram = t.write("dl/notas.txt", "texto", 0644);
    bool linkAtNotice = true;
    f.messages.whileOpen = [&] {
        if (f.messages.shown.size() == 1) {
            linkAtNotice = std::filesystem::exists(t / (std::string("Escritorio/") + kLinkFile));
        }
    };
    runInstaller(notProgram);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, kNotice);
    EXPECT_EQ(f.messages.shown[0].title, "ATENCION");
    EXPECT_FALSE(linkAtNotice);
    auto fields = lnkinfo(t / (std::string("Escritorio/") + kLinkFile));
    EXPECT_EQ(fields["Local path"], posix::WinePaths(t / "prefix").toWindows(notProgram));
}

TEST_F(InstallOnLinuxTest, OtherLaunchFailuresShowTheNoticeThenTheShortcutError) {
    t.makeFolder("vacia");
    ASSERT_EQ(chdir((t / "vacia").c_str()), 0);
    for (const std::string& destination :
         {t / "dl/no_existe.exe", t / "vacia/", std::string(), std::string("Quibrant_Setup.exe")}) {
        SCOPED_TRACE("[" + destination + "]");
        f.messages.shown.clear();
        runInstaller(destination);
        ASSERT_EQ(f.messages.shown.size(), 2u);
        EXPECT_EQ(f.messages.shown[0].text, kNotice);
        EXPECT_EQ(f.messages.shown[1].text,
                  "Error: 52\r\n\r\nNo se pudo completar la operación de Acceso Directo.");
    }
    EXPECT_EQ(entriesIn(t / "Escritorio"), 0u);
}

TEST_F(InstallOnLinuxTest, DesktopShortcutReadsBackWithLnkinfo) {
    const std::string installer = t.write("dl/Quibrant_Setup.exe", "MZ");
    DownloadFormTestAccess::CreateDesktopShortcut(*form, installer);
    EXPECT_TRUE(f.messages.shown.empty());
    auto fields = lnkinfo(t / (std::string("Escritorio/") + kLinkFile));
    ASSERT_FALSE(fields.empty()) << "lnkinfo (liblnk-utils) is needed";
    const posix::WinePaths wine(t / "prefix");
    EXPECT_EQ(fields["Local path"], wine.toWindows(installer));
    EXPECT_EQ(fields["Local path"].substr(0, 3), "Z:\\");
    EXPECT_EQ(fields["Working directory"], wine.toWindows(t / "dl/"));
    EXPECT_EQ(fields["Working directory"].back(), '\\');
    EXPECT_EQ(fields["Icon location"], wine.toWindows(installer));
    EXPECT_EQ(fields["Icon index"], "0");
    EXPECT_EQ(fields.count("Command line arguments"), 0u);
}

TEST_F(InstallOnLinuxTest, MissingOrHiddenTargetGives52AndLeavesTheDesktopAlone) {
    t.write("dl/.oculto.exe", "MZ");
    for (const std::string& target : {t / "dl/no_existe.exe", t / "dl/.oculto.exe"}) {
        EXPECT_EQ(form->CreateShortCut("Enlace", target, "Desktop"), 52) << target;
    }
    EXPECT_EQ(entriesIn(t / "Escritorio"), 0u);
}

TEST_F(InstallOnLinuxTest, FolderAsDestination) {
    const std::string installer = t.write("dl/Quibrant_Setup.exe", "MZ");
    t.makeFolder("enlaces");
    EXPECT_EQ(form->CreateShortCut("Enlace", installer, t / "enlaces"), -1);
    EXPECT_EQ(lnkinfo(t / "enlaces/Enlace.lnk")["Local path"],
              posix::WinePaths(t / "prefix").toWindows(installer));
    EXPECT_EQ(form->CreateShortCut("Enlace", installer, t / "no_existe"), 52);
}

TEST_F(InstallOnLinuxTest, DesktopThatCannotBeWrittenGivesOurOwnNumber) {
    const std::string installer = t.write("dl/Quibrant_Setup.exe", "MZ");
    std::filesystem::remove(t / "Escritorio");
    DownloadFormTestAccess::CreateDesktopShortcut(*form, installer);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text,
              "Error: 76\r\n\r\nNo se pudo completar la operación de Acceso Directo.");
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::None);
}

}  // namespace
}  // namespace quibrant::test
