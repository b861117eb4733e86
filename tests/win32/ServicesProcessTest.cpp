#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "ServicesSystem.h"
#include "contract/ProcessContract.h"
#include "support/FailureNumber.h"
#include "win32/services/Win32CheckedFile.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Windows, ProcessContract, WindowsSystem);

namespace {

class Win32ProcessTest : public ProcessContract<WindowsSystem> {
  protected:
    platform::Process& process = s.process;
};

TEST_F(Win32ProcessTest, ListingShowsTheNameAsStoredAndLeavesSystemFilesOut) {
    s.write("dl/Quibrant_Setup.exe", "x");
    s.write("dl/sistema.exe", "x", FILE_ATTRIBUTE_SYSTEM);
    s.write("dl/protegido.exe", "x", FILE_ATTRIBUTE_READONLY);
    const std::string file = s.write("dl/Instalador de Quibrant.exe", "x");
    EXPECT_EQ(process.listName(s / "DL/quibrant_setup.EXE", false), "Quibrant_Setup.exe");
    EXPECT_EQ(process.listName(s / "dl/protegido.exe", false), "protegido.exe");
    EXPECT_EQ(process.listName(s / "dl/sistema.exe", false), "");

    // A short alias lists with the long name.
    const std::string alias = shortPathOf(file);
    ASSERT_NE(alias, file);
    const std::string aliasName = alias.substr(alias.rfind('\\') + 1);
    ASSERT_NE(aliasName, "Instalador de Quibrant.exe");
    EXPECT_EQ(process.listName(s / ("dl/" + aliasName), false), "Instalador de Quibrant.exe");
}

TEST_F(Win32ProcessTest, TheCurrentDriveChangesOnlyToADriveThatExists) {
    const std::string folder = s.makeFolder("Descargas ñ");
    process.changeDirectory(folder);
    // The test folder's own drive: the folder stays the current one there.
    process.changeDrive(static_cast<char>(folder.front() | 0x20));
    EXPECT_EQ(currentFolder(), folder);

    const char absent = absentDriveLetter();
    ASSERT_NE(absent, '\0');
    failureNumber([&] { process.changeDrive(absent); });
    failureNumber([&] { process.changeDrive('\0'); });
    EXPECT_EQ(currentFolder(), folder);
}

TEST_F(Win32ProcessTest, TheProgramIsStartedByItsFullNameInQuotes) {
    const std::string program = s.installer("dl con espacios");
    process.changeDirectory(s / "dl con espacios\\");
    process.startProgram("Instalar Quibrant ñ.exe");
    ASSERT_FALSE(s.recordedFolder("dl con espacios").empty());
    const std::string record = s.read("dl con espacios/carpeta.txt");
    EXPECT_EQ(record.substr(record.find('\n') + 1), "\"" + program + "\"\n");
}

TEST_F(Win32ProcessTest, NeitherNonProgramsNorProgramsOfTheSystemFolderStart) {
    s.write("dl/falso.exe", "no soy un programa");
    process.changeDirectory(s / "dl");
    failureNumber([&] { process.startProgram("falso.exe"); });
    failureNumber([&] { process.startProgram("cmd.exe"); });
}

// The file at `path` held as the signature check holds what it accepts.
std::unique_ptr<win32::Win32CheckedFile> held(const std::string& path) {
    win32::UniqueHandle file = win32::Win32CheckedFile::open(win32::widen(path));
    EXPECT_TRUE(file.valid());
    return std::make_unique<win32::Win32CheckedFile>(std::move(file));
}

bool writable(const std::string& path) {
    return win32::UniqueHandle(CreateFileW(win32::widen(path).c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
        .valid();
}

// The download's file, held since its check, replaces the older read-only
// installer through the held handle and starts from there, held all along:
// nobody may write it, but a program that shares reading alone (as an
// installer reading itself does) may read it while it waits.
TEST_F(Win32ProcessTest, TheCheckedDownloadTakesTheInstallersNameAndStarts) {
    const std::string partial = s.installer("dl");
    const std::string bytes = readFile(partial);
    s.writeReadOnly("dl/Quibrant_Setup.exe", "anterior");
    const auto checked = held(partial);
    checked->moveTo(s / "dl/Quibrant_Setup.exe");
    EXPECT_EQ(s.entries("dl"), std::vector<std::string>{"Quibrant_Setup.exe"});
    EXPECT_TRUE(s.read("dl/Quibrant_Setup.exe") == bytes);
    EXPECT_FALSE(writable(s / "dl/Quibrant_Setup.exe"));

    process.changeDirectory(s / "dl");
    process.startChecked("Quibrant_Setup.exe", *checked);
    EXPECT_EQ(s.recordedFolder("dl"), s / "dl");
}

// A name that leads to another file than the one held starts nothing: another
// file named, or the folder on the way swapped for one with another program
// under the same name (when Windows lets a folder with a held file be
// renamed at all).
TEST_F(Win32ProcessTest, ANameThatLeadsElsewhereStartsNothing) {
    const auto checked = held(s.installer("dl"));
    s.installer("otra");
    process.changeDirectory(s / "otra");
    EXPECT_EQ(failureNumber([&] { process.startChecked("Instalar Quibrant ñ.exe", *checked); }),
              platform::errors::kFileChangedSinceCheck);

    process.changeDirectory(s.root);
    if (MoveFileW(win32::widen(s / "dl").c_str(), win32::widen(s / "dl-aparte").c_str())) {
        s.installer("dl");
        process.changeDirectory(s / "dl");
        EXPECT_EQ(failureNumber([&] { process.startChecked("Instalar Quibrant ñ.exe", *checked); }),
                  platform::errors::kFileChangedSinceCheck);
    } else {
        std::printf("[ nota ] la carpeta de un archivo retenido no se deja renombrar (%lu)\n",
                    GetLastError());
    }
    // Refused before anything could start.
    EXPECT_FALSE(s.exists("otra/carpeta.txt"));
    EXPECT_FALSE(s.exists("dl/carpeta.txt"));
}

}  // namespace
}  // namespace quibrant::test
