#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "LinuxSystem.h"
#include "contract/ProcessContract.h"
#include "posix/PosixCheckedFile.h"
#include "posix/PosixEnvironment.h"
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

// The file a check held, read through its descriptor as it was then.
std::unique_ptr<posix::PosixCheckedFile> held(const LinuxSystem& s, const std::string& relative) {
    posix::Descriptor file(::open((s / relative).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    EXPECT_EQ(::fstat(file.get(), &info), 0);
    return std::make_unique<posix::PosixCheckedFile>(std::move(file), info, s / relative, s.wine);
}

// What starts is the file that was checked: under its name while nobody else
// can touch it there, as a copy of its checked bytes from a folder of the
// user's own when others could swap it before wine opens it, and never once
// another file has taken its name.
TEST_F(PosixProcessTest, TheCheckedFileStartsOrNothingDoes) {
    s.write("bin/wine", kRecordingWine, 0755);
    s.variables.set("PATH", (s / "bin") + ":/usr/bin:/bin");
    const std::string own = posix::userTemporaryFolder();
    struct Case {
        const char* folder;
        mode_t mode;
        bool swapped;
        const char* started;  // "" when nothing may start
    };
    const Case cases[] = {
        {"propia", 0755, false, "./Quibrant_Setup.exe"},
        {"pegajosa", 01777, false, "./Quibrant_Setup.exe"},
        {"compartida", 0777, false, "copia"},
        {"cambiada", 0755, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::string folder = c.folder;
        s.write(folder + "/Quibrant_Setup.exe", "MZ firmado");
        ASSERT_EQ(chmod((s / folder).c_str(), c.mode), 0);
        const auto checked = held(s, folder + "/Quibrant_Setup.exe");
        if (c.swapped) {
            s.write(folder + "/otro.exe", "MZ otro");
            ASSERT_EQ(rename((s / (folder + "/otro.exe")).c_str(),
                             (s / (folder + "/Quibrant_Setup.exe")).c_str()),
                      0);
        }
        ASSERT_EQ(chdir((s / folder).c_str()), 0);
        if (*c.started == '\0') {
            EXPECT_EQ(failureNumber([&] { process.startChecked("Quibrant_Setup.exe", *checked); }),
                      platform::errors::kFileChangedSinceCheck);
            EXPECT_FALSE(s.exists(folder + "/argumentos.txt"));
            continue;
        }
        process.startChecked("Quibrant_Setup.exe", *checked);
        ASSERT_TRUE(s.waitFor(folder + "/argumentos.txt"));
        std::string started = s.read(folder + "/argumentos.txt");
        started.pop_back();
        if (std::string(c.started) == "copia") {
            // Started from the installer's folder all the same.
            EXPECT_EQ(started.rfind(own + "/instalador-", 0), 0u) << started;
            std::ifstream copy(started, std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}), "MZ firmado");
            struct stat copyFolder {};
            ASSERT_EQ(::stat(started.substr(0, started.rfind('/')).c_str(), &copyFolder), 0);
            EXPECT_EQ(copyFolder.st_mode & 0777, 0700u);
        } else {
            EXPECT_EQ(started, c.started);
        }
    }
}

// The checked file takes the installer's name, replacing the older one, and
// starts from there; a file put in its place before the move never does.
TEST_F(PosixProcessTest, ACheckedFileMovesToTheInstallersNameOnlyAsItself) {
    s.write("bin/wine", kRecordingWine, 0755);
    s.variables.set("PATH", (s / "bin") + ":/usr/bin:/bin");
    s.write("dl/Quibrant_Setup.exe", "MZ anterior");
    s.write("dl/Quibrant_Setup.exe.1234.descarga", "MZ firmado");
    const auto checked = held(s, "dl/Quibrant_Setup.exe.1234.descarga");
    checked->moveTo(s / "dl/Quibrant_Setup.exe");
    EXPECT_EQ(s.read("dl/Quibrant_Setup.exe"), "MZ firmado");
    ASSERT_EQ(chdir((s / "dl").c_str()), 0);
    process.startChecked("Quibrant_Setup.exe", *checked);
    ASSERT_TRUE(s.waitFor("dl/argumentos.txt"));

    s.write("dl/otro.descarga", "MZ firmado");
    const auto swapped = held(s, "dl/otro.descarga");
    s.write("dl/otro.descarga.nuevo", "MZ otro");
    ASSERT_EQ(rename((s / "dl/otro.descarga.nuevo").c_str(), (s / "dl/otro.descarga").c_str()), 0);
    EXPECT_EQ(failureNumber([&] { swapped->moveTo(s / "dl/Quibrant_Setup.exe"); }),
              platform::errors::kFileChangedSinceCheck);
    EXPECT_EQ(s.read("dl/Quibrant_Setup.exe"), "MZ firmado");
}

}  // namespace
}  // namespace quibrant::test
