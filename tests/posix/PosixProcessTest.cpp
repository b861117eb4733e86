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

TEST_F(PosixProcessTest, AWindowsProgramWithoutWineFails) {
    s.variables.set("PATH", s / "bin");
    s.write("dl/Quibrant_Setup.exe", "MZ");
    ASSERT_EQ(chdir((s / "dl").c_str()), 0);
    failureNumber([&] { process.startProgram("Quibrant_Setup.exe"); });
}

}  // namespace
}  // namespace quibrant::test
