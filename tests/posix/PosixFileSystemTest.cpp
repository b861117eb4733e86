#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/Failure.h"
#include "posix/PosixFileSystem.h"
#include "support/FailureNumber.h"

namespace quibrant::test {
namespace {

using posix::PosixFileSystem;
using posix::WinePaths;

class PosixFileSystemTest : public ::testing::Test {
  protected:
    TempFolder t;
    PosixFileSystem fs{WinePaths(t / "prefix"), t / "home"};

    void SetUp() override {
        t.makeFolder("prefix/drive_c");
        t.makeFolder("prefix/dosdevices");
        t.link("../drive_c", "prefix/dosdevices/c:");
        t.makeFolder("home");
    }

    std::vector<std::string> lines(const std::string& bytes) {
        t.write("texto.ini", bytes);
        auto stream = fs.OpenTextFile(t / "texto.ini");
        std::vector<std::string> out;
        while (!stream->AtEndOfStream()) {
            out.push_back(stream->ReadLine());
        }
        stream->Close();
        return out;
    }
};

TEST_F(PosixFileSystemTest, QueriesAnswerFalseForMissingDrivesAndPaths) {
    t.write("prefix/drive_c/Quibrant7/Quibrant.ini", "x");
    EXPECT_TRUE(fs.FolderExists("c:\\Quibrant7"));
    EXPECT_TRUE(fs.FolderExists("c:/Quibrant7"));
    EXPECT_TRUE(fs.FileExists("C:\\Quibrant7\\Quibrant.ini"));
    EXPECT_FALSE(fs.FileExists("c:\\Quibrant7"));
    EXPECT_FALSE(fs.FolderExists("c:\\Quibrant7\\Quibrant.ini"));
    // No drive d: in this prefix, and no medium behind a dangling drive link.
    t.link("/no/existe", "prefix/dosdevices/e:");
    EXPECT_FALSE(fs.FolderExists("d:\\Quibrant7"));
    EXPECT_FALSE(fs.FolderExists("e:\\Quibrant7"));
    EXPECT_FALSE(fs.FileExists("e:\\Quibrant7\\Quibrant.ini"));
    EXPECT_FALSE(fs.FolderExists(""));
    EXPECT_TRUE(fs.FolderExists(t.root()));
}

TEST_F(PosixFileSystemTest, TextIsReadAsWindows1252LineByLine) {
    const std::vector<std::string> expected = {"[Sección]", "a=1", "", "b=€", "c", "", "d"};
    EXPECT_EQ(lines("[Secci\xF3n]\r\na=1\r\n\r\nb=\x80\nc\r\rd"), expected);
    EXPECT_EQ(lines("sin salto final"), std::vector<std::string>{"sin salto final"});
    EXPECT_TRUE(lines("").empty());
}

TEST_F(PosixFileSystemTest, AtEndOfLineIsTrueOnAnEmptyLineAndAtTheEnd) {
    t.write("a.ini", "x\r\n\r\ny");
    auto stream = fs.OpenTextFile(t / "a.ini");
    EXPECT_FALSE(stream->AtEndOfLine());
    EXPECT_EQ(stream->ReadLine(), "x");
    EXPECT_TRUE(stream->AtEndOfLine());
    EXPECT_FALSE(stream->AtEndOfStream());
    EXPECT_EQ(stream->ReadLine(), "");
    EXPECT_EQ(stream->ReadLine(), "y");
    EXPECT_TRUE(stream->AtEndOfLine());
    EXPECT_TRUE(stream->AtEndOfStream());
}

TEST_F(PosixFileSystemTest, LongLinesSpanReadBuffers) {
    const std::string longLine(10000, 'q');
    EXPECT_EQ(lines(longLine + "\r\n" + longLine), (std::vector<std::string>{longLine, longLine}));
}

TEST_F(PosixFileSystemTest, OpeningAndReadingFailuresAreFailures) {
    EXPECT_EQ(failureNumber([&] { fs.OpenTextFile(t / "no.ini"); }), 53);
    failureNumber([&] { fs.OpenTextFile(t.root()); });
    // A file whose reading the system refuses.
    t.link("/proc/self/mem", "memoria.ini");
    auto stream = fs.OpenTextFile(t / "memoria.ini");
    failureNumber([&] { stream->AtEndOfLine(); });

    t.write("b.ini", "x\n");
    auto closed = fs.OpenTextFile(t / "b.ini");
    closed->Close();
    failureNumber([&] { closed->ReadLine(); });
}

TEST_F(PosixFileSystemTest, CreateFolderMakesExactlyThatFolder) {
    fs.CreateFolder("c:\\Setup");
    EXPECT_TRUE(fs.FolderExists(t / "prefix/drive_c/Setup"));
    EXPECT_EQ(failureNumber([&] { fs.CreateFolder("c:\\Setup"); }), 58);
    EXPECT_EQ(failureNumber([&] { fs.CreateFolder(t / "falta/Setup"); }), 76);
    EXPECT_FALSE(fs.FolderExists(t / "falta"));
}

TEST_F(PosixFileSystemTest, DeletionRespectsReadOnlyFilesUnlessForced) {
    const std::string file = t.write("viejo.exe", "x", 0444);
    EXPECT_EQ(failureNumber([&] { fs.DeleteFile(file, false); }), 70);
    EXPECT_TRUE(fs.FileExists(file));
    fs.DeleteFile(file, true);
    EXPECT_FALSE(fs.FileExists(file));
    EXPECT_EQ(failureNumber([&] { fs.DeleteFile(file, true); }), 53);
    EXPECT_EQ(failureNumber([&] { fs.DeleteFile(t.root(), true); }), 53);
}

TEST_F(PosixFileSystemTest, BinaryFileTakesBytesAndReplacesAReadOnlyDestination) {
    const std::string destination = t.write("Quibrant_Setup.exe", "viejo", 0444);
    std::string bytes;
    for (int i = 0; i < 200000; ++i) {
        bytes += static_cast<char>(i % 251);
    }
    auto file = fs.createBinaryFile(t / "parcial");
    for (std::size_t at = 0; at < bytes.size(); at += 1024) {
        file->write(bytes.data() + at, std::min<std::size_t>(1024, bytes.size() - at));
    }
    file->write(bytes.data(), 0);
    file->close();
    fs.replaceFile(t / "parcial", destination);
    EXPECT_EQ(readFile(destination), bytes);
    EXPECT_FALSE(fs.FileExists(t / "parcial"));

    EXPECT_EQ(failureNumber([&] { fs.createBinaryFile(t / "falta/x.exe"); }), 76);
    EXPECT_EQ(failureNumber([&] { fs.replaceFile(t / "nada", destination); }), 76);
    EXPECT_EQ(readFile(destination), bytes);
}

TEST_F(PosixFileSystemTest, SystemDriveRootIsDriveCOrTheHomeFolder) {
    EXPECT_EQ(fs.systemDriveRoot(), t / "prefix/dosdevices/c:/");
    PosixFileSystem withoutWine(WinePaths(t / "nada"), t / "home");
    EXPECT_EQ(withoutWine.systemDriveRoot(), t / "home/");
    EXPECT_EQ(fs.mapPath("C:\\Quibrant7"), t / "prefix/dosdevices/c:/Quibrant7");
}

}  // namespace
}  // namespace quibrant::test
