#include <gtest/gtest.h>

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
    TempFolder& t = s.t;
    PosixFileSystem& fs = s.files;
};

TEST_F(PosixFileSystemTest, DrivePathsGoThroughTheWinePrefix) {
    t.write("prefix/drive_c/Quibrant7/Quibrant.ini", "x");
    EXPECT_TRUE(fs.FolderExists("c:\\Quibrant7"));
    EXPECT_TRUE(fs.FolderExists("c:/Quibrant7"));
    EXPECT_TRUE(fs.FileExists("C:\\Quibrant7\\Quibrant.ini"));
    // No drive d: in this prefix, and no medium behind a dangling drive link.
    t.link("/no/existe", "prefix/dosdevices/e:");
    EXPECT_FALSE(fs.FolderExists("d:\\Quibrant7"));
    EXPECT_FALSE(fs.FolderExists("e:\\Quibrant7"));
    EXPECT_FALSE(fs.FileExists("e:\\Quibrant7\\Quibrant.ini"));

    fs.CreateFolder("c:\\Setup");
    EXPECT_TRUE(fs.FolderExists(t / "prefix/drive_c/Setup"));
    EXPECT_EQ(fs.mapPath("C:\\Quibrant7"), t / "prefix/dosdevices/c:/Quibrant7");
}

TEST_F(PosixFileSystemTest, TextIsReadAsWindows1252) {
    t.write("texto.ini", "[Secci\xF3n]\r\nb=\x80\r\n");
    auto stream = fs.OpenTextFile(t / "texto.ini");
    EXPECT_EQ(stream->ReadLine(), "[Sección]");
    EXPECT_EQ(stream->ReadLine(), "b=€");
}

TEST_F(PosixFileSystemTest, AFileTheSystemRefusesToReadFailsOnReading) {
    t.link("/proc/self/mem", "memoria.ini");
    auto stream = fs.OpenTextFile(t / "memoria.ini");
    failureNumber([&] { stream->AtEndOfLine(); });
}

TEST_F(PosixFileSystemTest, SystemDriveRootIsDriveCOrTheHomeFolder) {
    EXPECT_EQ(fs.systemDriveRoot(), t / "prefix/dosdevices/c:/");
    PosixFileSystem withoutWine(WinePaths(t / "nada"), t / "home");
    EXPECT_EQ(withoutWine.systemDriveRoot(), t / "home/");
}

}  // namespace
}  // namespace quibrant::test
