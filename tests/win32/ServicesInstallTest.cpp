#include <gtest/gtest.h>

#include "ServicesTestFolder.h"
#include "support/FormFixture.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Process.h"

namespace quibrant::test {
namespace {

constexpr const char* kNotice =
    "Debido a la siguridad de Cuentas de Usuario, la INSTALACION debe finalizarse atraves del "
    "acceso directo creado en su escritorio.";

// The real process services, except that the program's end comes back to the
// test instead of ending it.
class EndingProcess : public win32::Win32Process {
  public:
    [[noreturn]] void end() override { throw ProgramEnded{}; }
};

std::string recorderPath() {
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    const std::string path = win32::narrow(std::wstring(buffer, length));
    return path.substr(0, path.rfind('\\') + 1) + "services_record_folder.exe";
}

// The window's installer launch and existing-installation discovery on the
// Windows services; the shell stays the fake one, so no desktop is touched.
class InstallOnWindowsTest : public ::testing::Test {
  protected:
    TestFolder t;
    ScopedCurrentFolder restoreFolder;
    FormFixture f;
    EndingProcess process;
    win32::Win32FileSystemFactory fileSystems;

    void SetUp() override {
        Services services = f.services();
        services.process = &process;
        services.fileSystems = &fileSystems;
        f.shells.specialFolders["Desktop"] = t.makeFolder("Escritorio");
        f.form = std::make_unique<DownloadForm>(f.controls(), services);
    }

    void runInstaller(const std::string& destination) {
        f.Text2.setText(destination);
        EXPECT_THROW(DownloadFormTestAccess::RunInstaller(*f.form), ProgramEnded);
    }
};

TEST_F(InstallOnWindowsTest, InstallerStartsFromItsOwnFolderWithoutAMessage) {
    const std::string folder = t.makeFolder("Mis descargas");
    ASSERT_TRUE(CopyFileW(win32::widen(recorderPath()).c_str(),
                          win32::widen(folder + "\\Quibrant_Setup.exe").c_str(), FALSE));
    runInstaller(folder + "\\Quibrant_Setup.exe");
    ASSERT_TRUE(waitForFile(folder + "\\carpeta.txt"));
    const std::string record = readFile(folder + "\\carpeta.txt");
    EXPECT_EQ(record.substr(0, record.find('\n')), folder);
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_TRUE(f.shells.saved.empty());
}

TEST_F(InstallOnWindowsTest, WhatCannotStartLeavesTheNoticeAndAShortcut) {
    const std::string folder = t.makeFolder("Mis descargas");
    const std::string notAProgram =
        t.write("Mis descargas/Quibrant_Setup.exe", "no es un programa");
    const char absent = absentDriveLetter();
    ASSERT_NE(absent, '\0');
    for (const std::string& destination :
         {folder + "\\falta.exe", folder + "\\", std::string(1, absent) + ":\\a.exe",
          std::string("\\\\servidor\\recurso\\a.exe")}) {
        SCOPED_TRACE(destination);
        f.messages.shown.clear();
        runInstaller(destination);
        ASSERT_EQ(f.messages.shown.size(), 2u);
        EXPECT_EQ(f.messages.shown[0].text, kNotice);
        EXPECT_EQ(f.messages.shown[0].title, "ATENCION");
        // Nothing there to point a shortcut at.
        EXPECT_EQ(f.messages.shown[1].text.substr(0, 10), "Error: 52\r");
    }
    EXPECT_TRUE(f.shells.saved.empty());

    // A file that exists but will not start gets its shortcut.
    f.messages.shown.clear();
    runInstaller(notAProgram);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, kNotice);
    ASSERT_EQ(f.shells.saved.size(), 1u);
}

TEST_F(InstallOnWindowsTest, DiscoveryFindsNothingOnAMachineWithoutTheProduct) {
    ScopedVariable drive("SystemDrive", "C:");
    DownloadFormTestAccess::FindExistingInstallation(*f.form);
    EXPECT_EQ(f.state().InstallFolder, "C:\\");
}

}  // namespace
}  // namespace quibrant::test
