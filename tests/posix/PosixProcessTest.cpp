#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "LinuxSystem.h"
#include "contract/ProcessContract.h"
#include "support/FailureNumber.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, ProcessContract, LinuxSystem);

namespace {

// A stand-in for wine: records what it was asked to run, and where.
constexpr const char* kRecordingWine =
    "#!/bin/sh\n"
    "echo \"$@\" > argumentos.txt\n"
    "pwd -P > carpeta.txt\n";

class PosixProcessTest : public ProcessContract<LinuxSystem> {
  protected:
    platform::Process& process = s.process;
};

TEST_F(PosixProcessTest, DrivesAreAcceptedAndDrivePathsGoThroughThePrefix) {
    s.makeFolder("prefix/drive_c/Descargas");
    process.changeDrive('c');
    process.changeDrive('/');
    process.changeDirectory("c:\\Descargas\\");
    EXPECT_EQ(s.currentFolder(), s.folderAsSeen("prefix/drive_c/Descargas"));
}

TEST_F(PosixProcessTest, FilesLinuxCannotRunFailAtOnce) {
    s.write("dl/marcado", "tampoco\n", 0755);
    s.write("dl/sin_permiso", LinuxSystem::kRecordingInstaller, 0644);
    ASSERT_EQ(chdir((s / "dl").c_str()), 0);
    for (const char* name : {"marcado", "sin_permiso"}) {
        SCOPED_TRACE(name);
        failureNumber([&] { process.startProgram(name); });
    }
}

TEST_F(PosixProcessTest, WindowsProgramsGoThroughWineWhenItIsInstalled) {
    s.write("bin/wine", kRecordingWine, 0755);
    s.variables.set("PATH", (s / "bin") + ":/usr/bin:/bin");
    s.write("dl/Quibrant_Setup.exe", "MZ");
    s.write("dl/Quibrant.msi", "MSI");
    ASSERT_EQ(chdir((s / "dl").c_str()), 0);

    process.startProgram("Quibrant_Setup.exe");
    EXPECT_EQ(s.recordedFolder("dl"), s.folderAsSeen("dl"));
    ASSERT_TRUE(s.waitFor("dl/argumentos.txt"));
    EXPECT_EQ(s.read("dl/argumentos.txt"), "./Quibrant_Setup.exe\n");

    std::remove((s / "dl/argumentos.txt").c_str());
    process.startProgram("Quibrant.msi");
    ASSERT_TRUE(s.waitFor("dl/argumentos.txt"));
    EXPECT_EQ(s.read("dl/argumentos.txt"), "msiexec /i ./Quibrant.msi\n");
}

// Empty and relative PATH entries would name the installer's folder, where
// whoever placed the installer could place a wine of their own.
TEST_F(PosixProcessTest, OnlyAWineInAnAbsoluteFolderRuns) {
    s.write("dl/wine", "#!/bin/sh\necho plantado > plantado.txt\n", 0755);
    s.write("dl/Quibrant_Setup.exe", "MZ");
    s.write("dl/bin/wine", "#!/bin/sh\necho plantado > plantado.txt\n", 0755);
    ASSERT_EQ(chdir((s / "dl").c_str()), 0);

    s.variables.set("PATH", "::.:bin");
    EXPECT_EQ(failureNumber([&] { process.startProgram("Quibrant_Setup.exe"); }),
              platform::errors::kProgramKindUnsupported);

    s.write("bin/wine", kRecordingWine, 0755);
    s.variables.set("PATH", ":.:bin:" + (s / "bin"));
    process.startProgram("Quibrant_Setup.exe");
    ASSERT_TRUE(s.waitFor("dl/argumentos.txt"));
    EXPECT_FALSE(s.exists("dl/plantado.txt"));
}

}  // namespace
}  // namespace quibrant::test
