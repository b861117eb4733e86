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

}  // namespace
}  // namespace quibrant::test
