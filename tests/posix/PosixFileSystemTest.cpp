#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "LinuxSystem.h"
#include "contract/FileSystemContract.h"
#include "support/FailureNumber.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, FileSystemContract, LinuxSystem);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, DiskFileSystemContract, LinuxSystem);

namespace {

using posix::PosixFileSystem;
using posix::WinePaths;

class PosixFileSystemTest : public FileSystemContract<LinuxSystem> {
  protected:
    PosixFileSystem& fs = s.files;
};

TEST_F(PosixFileSystemTest, DrivePathsGoThroughTheWinePrefix) {
    s.write("prefix/drive_c/Quibrant7/Quibrant.ini", "x");
    EXPECT_TRUE(fs.FolderExists("c:\\Quibrant7"));
    EXPECT_TRUE(fs.FolderExists("c:/Quibrant7"));
    EXPECT_TRUE(fs.FileExists("C:\\Quibrant7\\Quibrant.ini"));
    // No drive d: in this prefix, and no medium behind a dangling drive link.
    s.link("/no/existe", "prefix/dosdevices/e:");
    EXPECT_FALSE(fs.FolderExists("d:\\Quibrant7"));
    EXPECT_FALSE(fs.FolderExists("e:\\Quibrant7"));
    EXPECT_FALSE(fs.FileExists("e:\\Quibrant7\\Quibrant.ini"));

    fs.CreateFolder("c:\\Setup");
    EXPECT_TRUE(fs.FolderExists(s / "prefix/drive_c/Setup"));
    EXPECT_EQ(fs.mapPath("C:\\Quibrant7"), s / "prefix/dosdevices/c:/Quibrant7");
}

TEST_F(PosixFileSystemTest, TextIsReadAsWindows1252) {
    s.write("texto.ini", "[Secci\xF3n]\r\nb=\x80\r\n");
    auto stream = fs.OpenTextFile(s / "texto.ini");
    EXPECT_EQ(stream->ReadLine(), "[Sección]");
    EXPECT_EQ(stream->ReadLine(), "b=€");
}

TEST_F(PosixFileSystemTest, AFileTheSystemRefusesToReadFailsOnReading) {
    s.link("/proc/self/mem", "memoria.ini");
    auto stream = fs.OpenTextFile(s / "memoria.ini");
    failureNumber([&] { stream->AtEndOfLine(); });
}

TEST_F(PosixFileSystemTest, SystemDriveRootIsDriveCOrTheHomeFolder) {
    EXPECT_EQ(fs.systemDriveRoot(), s / "prefix/dosdevices/c:/");
    PosixFileSystem withoutWine(WinePaths(s / "nada"), s / "home");
    EXPECT_EQ(withoutWine.systemDriveRoot(), s / "home/");
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST_F(PosixFileSystemTest, APartialFileIsTheUsersAloneUntilComplete) {
    const mode_t mask = ::umask(027);
    platform::PartialFile partial = fs.createPartialFile(s / "Quibrant_Setup.exe");
    EXPECT_EQ(modeOf(partial.path), 0600u);
    partial.file->close();
    EXPECT_EQ(modeOf(partial.path), 0640u);
    ::umask(mask);
}

// A link at the destination's name is replaced itself; the file it points
// to is not written.
TEST_F(PosixFileSystemTest, ALinkAtTheDestinationIsReplacedNotWrittenThrough) {
    s.write("ajeno.exe", "de otra persona");
    s.link(s / "ajeno.exe", "Quibrant_Setup.exe");
    platform::PartialFile partial = fs.createPartialFile(s / "Quibrant_Setup.exe");
    partial.file->write("nuevo", 5);
    partial.file->close();
    fs.replaceFile(partial.path, s / "Quibrant_Setup.exe");
    EXPECT_EQ(s.read("ajeno.exe"), "de otra persona");
    EXPECT_EQ(s.read("Quibrant_Setup.exe"), "nuevo");
    EXPECT_FALSE(std::filesystem::is_symlink(s / "Quibrant_Setup.exe"));
}

// Root writes anywhere, so the refusal is tried by an ordinary user in a
// child process.
TEST_F(PosixFileSystemTest, AFolderTheUserCannotWriteInIsRefused) {
    s.makeFolder("ajena");
    ASSERT_EQ(::chmod(s.root.c_str(), 0755), 0);
    ASSERT_EQ(::chmod((s / "ajena").c_str(), 0555), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(10);
        }
        ::_exit(failureNumber([&] { fs.createPartialFile(s / "ajena/Quibrant_Setup.exe"); }) ==
                        platform::errors::kPermissionDenied
                    ? 0
                    : 11);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(std::filesystem::is_empty(s / "ajena"));
}

}  // namespace
}  // namespace quibrant::test
