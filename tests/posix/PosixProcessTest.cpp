#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

#include "TempFolder.h"
#include "platform/Failure.h"
#include "posix/PosixProcess.h"

namespace quibrant::test {
namespace {

using posix::PosixProcess;
using posix::WinePaths;

// A test installer: records the folder it runs in and its arguments, beside
// itself, and exits.
constexpr const char* kRecordingProgram =
    "#!/bin/sh\n"
    "echo \"$@\" > argumentos.txt\n"
    "pwd -P > carpeta.txt\n";

class PosixProcessTest : public ::testing::Test {
  protected:
    TempFolder t;
    PosixProcess process{WinePaths(t / "prefix")};
    std::string startFolder;

    void SetUp() override {
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        startFolder = cwd;
    }
    void TearDown() override { EXPECT_EQ(chdir(startFolder.c_str()), 0); }

    template <typename F>
    bool fails(F&& operation) {
        try {
            operation();
        } catch (const platform::Failure& failure) {
            EXPECT_NE(failure.number(), 0);
            EXPECT_NE(failure.number(), -1);
            return true;
        }
        return false;
    }

    std::string canonicalOf(const std::string& path) {
        char resolved[PATH_MAX];
        return realpath(path.c_str(), resolved) != nullptr ? resolved : "";
    }
};

TEST_F(PosixProcessTest, ListingShowsOrdinaryVisibleFilesAndOptionallyFolders) {
    t.write("dl/Quibrant_Setup.exe", "x");
    t.write("dl/.oculto.exe", "x");
    t.makeFolder("dl/sub");
    t.makeFolder("dl/.config");
    EXPECT_EQ(process.listName(t / "dl/Quibrant_Setup.exe", false), "Quibrant_Setup.exe");
    EXPECT_EQ(process.listName(t / "dl/Quibrant_Setup.exe", true), "Quibrant_Setup.exe");
    EXPECT_EQ(process.listName(t / "dl/.oculto.exe", false), "");
    EXPECT_EQ(process.listName(t / "dl/no.exe", false), "");
    EXPECT_EQ(process.listName(t / "dl/sub", false), "");
    EXPECT_EQ(process.listName(t / "dl/sub", true), "sub");
    EXPECT_EQ(process.listName(t / "dl/sub/", true), ".");
    EXPECT_EQ(process.listName(t / "dl/.config", true), "");
    EXPECT_EQ(process.listName(t / "dl/Quibrant_Setup.exe/", false), "");
    EXPECT_EQ(process.listName("", true), "");
}

TEST_F(PosixProcessTest, ChangingDirectoryMapsDrivesAndFailsForMissingFolders) {
    t.makeFolder("prefix/drive_c/Descargas");
    t.link("../drive_c", "prefix/dosdevices/c:");
    process.changeDrive('c');
    process.changeDirectory("c:\\Descargas\\");
    EXPECT_EQ(canonicalOf("."), canonicalOf(t / "prefix/drive_c/Descargas"));
    EXPECT_TRUE(fails([&] { process.changeDirectory(t / "no/existe/"); }));
    EXPECT_TRUE(fails([&] { process.changeDirectory(""); }));
    EXPECT_EQ(canonicalOf("."), canonicalOf(t / "prefix/drive_c/Descargas"));
}

TEST_F(PosixProcessTest, OnlyABackslashNamesNoDrive) {
    process.changeDrive('/');
    process.changeDrive('c');
    EXPECT_TRUE(fails([&] { process.changeDrive('\\'); }));
}

TEST_F(PosixProcessTest, ProgramStartsFromTheCurrentFolderAndRunsOnItsOwn) {
    t.write("dl/Instalar", kRecordingProgram, 0755);
    ASSERT_EQ(chdir((t / "dl").c_str()), 0);
    process.startProgram("Instalar");
    ASSERT_TRUE(waitForFile(t / "dl/carpeta.txt"));
    EXPECT_EQ(readFile(t / "dl/carpeta.txt"), canonicalOf(t / "dl") + "\n");
}

TEST_F(PosixProcessTest, WhatCannotBeStartedFailsAtOnce) {
    t.write("dl/texto.txt", "no soy un programa", 0644);
    t.write("dl/marcado", "tampoco\n", 0755);
    t.write("dl/sin_permiso", kRecordingProgram, 0644);
    t.makeFolder("dl/carpeta");
    ASSERT_EQ(chdir((t / "dl").c_str()), 0);
    for (const char* name :
         {"texto.txt", "marcado", "sin_permiso", "no_existe.exe", "", "carpeta"}) {
        EXPECT_TRUE(fails([&] { process.startProgram(name); })) << name;
    }
}

TEST_F(PosixProcessTest, ProgramIsNotLookedUpOnThePath) {
    t.makeFolder("vacia");
    ASSERT_EQ(chdir((t / "vacia").c_str()), 0);
    EXPECT_TRUE(fails([&] { process.startProgram("sh"); }));
}

TEST_F(PosixProcessTest, WindowsProgramsGoThroughWineWhenItIsInstalled) {
    // A stand-in for wine that records what it was asked to run.
    t.write("bin/wine", kRecordingProgram, 0755);
    ScopedVariable path("PATH", (t / "bin") + ":/usr/bin:/bin");
    t.write("dl/Quibrant_Setup.exe", "MZ", 0644);
    t.write("dl/Quibrant.msi", "MSI", 0644);
    ASSERT_EQ(chdir((t / "dl").c_str()), 0);

    process.startProgram("Quibrant_Setup.exe");
    ASSERT_TRUE(waitForFile(t / "dl/carpeta.txt"));
    ASSERT_TRUE(waitForFile(t / "dl/argumentos.txt"));
    EXPECT_EQ(readFile(t / "dl/argumentos.txt"), "./Quibrant_Setup.exe\n");
    EXPECT_EQ(readFile(t / "dl/carpeta.txt"), canonicalOf(t / "dl") + "\n");

    std::remove((t / "dl/argumentos.txt").c_str());
    process.startProgram("Quibrant.msi");
    ASSERT_TRUE(waitForFile(t / "dl/argumentos.txt"));
    EXPECT_EQ(readFile(t / "dl/argumentos.txt"), "msiexec /i ./Quibrant.msi\n");
}

TEST_F(PosixProcessTest, WindowsProgramWithoutWineFails) {
    ScopedVariable path("PATH", t / "bin");
    t.write("dl/Quibrant_Setup.exe", "MZ", 0644);
    ASSERT_EQ(chdir((t / "dl").c_str()), 0);
    EXPECT_TRUE(fails([&] { process.startProgram("Quibrant_Setup.exe"); }));
}

}  // namespace
}  // namespace quibrant::test
