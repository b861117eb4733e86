#include <gtest/gtest.h>

#include "ServicesTestFolder.h"
#include "platform/Failure.h"
#include "support/FailureNumber.h"
#include "win32/Win32Process.h"

namespace quibrant::test {
namespace {

constexpr const char* kRecorderName = "services_record_folder.exe";

// The stand-in installer, built beside this test program.
std::string recorderPath() {
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    std::string path = win32::narrow(std::wstring(buffer, length));
    return path.substr(0, path.rfind('\\') + 1) + kRecorderName;
}

class Win32ProcessTest : public ::testing::Test {
  protected:
    TestFolder t;
    ScopedCurrentFolder restoreFolder;
    win32::Win32Process process;

    // Puts a copy of the stand-in installer at `name` in the test folder.
    std::string installer(const std::string& name) {
        const std::string path = t / name;
        t.makeFolder(name.substr(0, name.rfind('/')));
        EXPECT_TRUE(
            CopyFileW(win32::widen(recorderPath()).c_str(), win32::widen(path).c_str(), FALSE));
        return path;
    }
};

TEST_F(Win32ProcessTest, ListingShowsOrdinaryVisibleFilesAndOptionallyFolders) {
    t.write("dl/Quibrant_Setup.exe", "x");
    t.write("dl/oculto.exe", "x", FILE_ATTRIBUTE_HIDDEN);
    t.write("dl/sistema.exe", "x", FILE_ATTRIBUTE_SYSTEM);
    t.write("dl/protegido.exe", "x", FILE_ATTRIBUTE_READONLY);
    t.makeFolder("dl/sub");
    t.makeFolder("dl/oculta");
    SetFileAttributesW(win32::widen(t / "dl/oculta").c_str(), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(process.listName(t / "dl/Quibrant_Setup.exe", false), "Quibrant_Setup.exe");
    EXPECT_EQ(process.listName(t / "dl/Quibrant_Setup.exe", true), "Quibrant_Setup.exe");
    EXPECT_EQ(process.listName(t / "DL/quibrant_setup.EXE", false), "Quibrant_Setup.exe");
    EXPECT_EQ(process.listName(t / "dl/protegido.exe", false), "protegido.exe");
    EXPECT_EQ(process.listName(t / "dl/oculto.exe", false), "");
    EXPECT_EQ(process.listName(t / "dl/oculto.exe", true), "");
    EXPECT_EQ(process.listName(t / "dl/sistema.exe", false), "");
    EXPECT_EQ(process.listName(t / "dl/no.exe", false), "");
    EXPECT_EQ(process.listName(t / "falta/no.exe", true), "");
    EXPECT_EQ(process.listName(t / "dl/sub", false), "");
    EXPECT_EQ(process.listName(t / "dl/sub", true), "sub");
    EXPECT_EQ(process.listName(t / "dl/oculta", true), "");
    EXPECT_EQ(process.listName(t / "dl/sub/", true), ".");
    EXPECT_EQ(process.listName(t / "dl/sub/", false), "");
    EXPECT_EQ(process.listName(t / "dl/falta/", true), "");
    EXPECT_EQ(process.listName(t / "dl/Quibrant_Setup.exe/", false), "");
    EXPECT_EQ(process.listName("", true), "");
    // A pattern matches files, but names none.
    EXPECT_EQ(process.listName(t / "dl/*.exe", false), "");
    EXPECT_EQ(process.listName(t / "dl/Quibrant_Setup.ex?", true), "");
}

TEST_F(Win32ProcessTest, ListingAShortAliasShowsTheLongName) {
    const std::string file = t.write("dl/Instalador de Quibrant.exe", "x");
    const std::string alias = shortPathOf(file);
    ASSERT_NE(alias, file);
    const std::string aliasName = alias.substr(alias.rfind('\\') + 1);
    ASSERT_NE(aliasName, "Instalador de Quibrant.exe");
    EXPECT_EQ(process.listName(t / ("dl/" + aliasName), false), "Instalador de Quibrant.exe");
}

TEST_F(Win32ProcessTest, ChangingFolderAndDrive) {
    const std::string folder = t.makeFolder("Descargas ñ");
    process.changeDirectory(folder + "\\");
    EXPECT_EQ(currentFolder(), folder);
    EXPECT_EQ(failureNumber([&] { process.changeDirectory(t / "no/existe/"); }), 76);
    failureNumber([&] { process.changeDirectory(""); });
    EXPECT_EQ(currentFolder(), folder);

    // The test folder's own drive: the folder stays the current one there.
    const char drive = folder.front();
    process.changeDrive(static_cast<char>(drive | 0x20));
    EXPECT_EQ(currentFolder(), folder);

    const char absent = absentDriveLetter();
    ASSERT_NE(absent, '\0');
    failureNumber([&] { process.changeDrive(absent); });
    EXPECT_EQ(failureNumber([&] { process.changeDrive('\\'); }), 68);
    failureNumber([&] { process.changeDrive('\0'); });
    EXPECT_EQ(currentFolder(), folder);
}

TEST_F(Win32ProcessTest, ProgramStartsFromTheCurrentFolderAndRunsOnItsOwn) {
    installer("dl con espacios/Instalar Quibrant ñ.exe");
    const std::string folder = t / "dl con espacios";
    process.changeDirectory(folder + "\\");
    process.startProgram("Instalar Quibrant ñ.exe");
    ASSERT_TRUE(waitForFile(folder + "\\carpeta.txt"));
    const std::string record = readFile(folder + "\\carpeta.txt");
    EXPECT_EQ(record, folder + "\n\"" + folder + "\\Instalar Quibrant ñ.exe\"\n");
}

TEST_F(Win32ProcessTest, WhatCannotBeStartedFailsAtOnce) {
    t.write("dl/texto.txt", "no soy un programa");
    t.write("dl/falso.exe", "tampoco");
    t.makeFolder("dl/carpeta.exe");
    process.changeDirectory(t / "dl");
    EXPECT_EQ(failureNumber([&] { process.startProgram("no_existe.exe"); }), 53);
    for (const char* name : {"texto.txt", "falso.exe", "carpeta.exe", ""}) {
        SCOPED_TRACE(name);
        failureNumber([&] { process.startProgram(name); });
    }
}

TEST_F(Win32ProcessTest, ProgramIsLookedUpInTheCurrentFolderOnly) {
    // A program of that name stands beside this test program, where Windows
    // would look first for a bare name; it must not be the one started.
    ASSERT_TRUE(exists(recorderPath()));
    process.changeDirectory(t.makeFolder("vacia"));
    EXPECT_EQ(failureNumber([&] { process.startProgram(kRecorderName); }), 53);
    failureNumber([&] { process.startProgram("cmd.exe"); });
}

}  // namespace
}  // namespace quibrant::test
