#include <gtest/gtest.h>

#include "ServicesSystem.h"
#include "contract/ProcessContract.h"
#include "support/FailureNumber.h"

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

}  // namespace
}  // namespace quibrant::test
