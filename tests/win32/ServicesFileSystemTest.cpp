#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ServicesTestFolder.h"
#include "platform/Failure.h"
#include "support/FailureNumber.h"
#include "win32/Win32FileSystem.h"

namespace quibrant::test {
namespace {

// A file held open by another program that lets nobody delete or replace it.
class LockedFile {
  public:
    explicit LockedFile(const std::string& path)
        : handle_(CreateFileW(win32::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    ~LockedFile() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    bool locked() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

class Win32FileSystemTest : public ::testing::Test {
  protected:
    TestFolder t;
    win32::Win32FileSystem fs;

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

    bool readOnly(const std::string& path) {
        const DWORD attributes = attributesOf(path);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    }
};

TEST_F(Win32FileSystemTest, QueriesAnswerFalseForMissingDrivesAndPaths) {
    t.write("Quibrant7/Quibrant.ini", "x");
    EXPECT_TRUE(fs.FolderExists(t / "Quibrant7"));
    EXPECT_TRUE(fs.FolderExists(t / "Quibrant7\\"));
    EXPECT_TRUE(fs.FileExists(t / "Quibrant7/Quibrant.ini"));
    EXPECT_TRUE(fs.FileExists(t / "QUIBRANT7/quibrant.INI"));
    EXPECT_FALSE(fs.FileExists(t / "Quibrant7"));
    EXPECT_FALSE(fs.FolderExists(t / "Quibrant7/Quibrant.ini"));
    EXPECT_FALSE(fs.FolderExists(t / "Quibrant6"));
    EXPECT_FALSE(fs.FileExists(t / "Quibrant6/Quibrant.ini"));
    EXPECT_FALSE(fs.FolderExists(""));
    EXPECT_FALSE(fs.FileExists(""));

    const char absent = absentDriveLetter();
    ASSERT_NE(absent, '\0');
    const std::string drive(1, absent);
    EXPECT_FALSE(fs.FolderExists(drive + ":\\Quibrant7"));
    EXPECT_FALSE(fs.FolderExists(drive + ":\\"));
    EXPECT_FALSE(fs.FileExists(drive + ":\\Quibrant7\\Quibrant.ini"));
}

TEST_F(Win32FileSystemTest, TextIsReadInTheAnsiCodePageLineByLine) {
    // The program's ini files are Western European text; other code pages
    // would read these bytes as other letters.
    ASSERT_EQ(GetACP(), 1252u) << "the test expects a Western European system code page";
    const std::vector<std::string> expected = {"[Sección]", "a=1", "", "b=€", "c", "", "d"};
    EXPECT_EQ(lines("[Secci\xF3n]\r\na=1\r\n\r\nb=\x80\nc\r\rd"), expected);
    EXPECT_EQ(lines("sin salto final"), std::vector<std::string>{"sin salto final"});
    EXPECT_TRUE(lines("").empty());
    const std::string longLine(10000, 'q');
    EXPECT_EQ(lines(longLine + "\r\n" + longLine), (std::vector<std::string>{longLine, longLine}));
}

TEST_F(Win32FileSystemTest, AtEndOfLineIsTrueOnAnEmptyLineAndAtTheEnd) {
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

TEST_F(Win32FileSystemTest, OpenTextFileFailsForMissingFilesAndFolders) {
    EXPECT_EQ(failureNumber([&] { fs.OpenTextFile(t / "no.ini"); }), 53);
    EXPECT_EQ(failureNumber([&] { fs.OpenTextFile(t / "falta/no.ini"); }), 76);
    EXPECT_EQ(failureNumber([&] { fs.OpenTextFile(t.root()); }), 53);

    t.write("b.ini", "x\n");
    auto closed = fs.OpenTextFile(t / "b.ini");
    closed->Close();
    failureNumber([&] { closed->ReadLine(); });
    // Closed, the stream no longer holds the file.
    EXPECT_TRUE(DeleteFileW(win32::widen(t / "b.ini").c_str()));
}

TEST_F(Win32FileSystemTest, AnOpenStreamLetsOthersWriteTheFile) {
    t.write("c.ini", "UBICACIONSERVIDOR=S:\\Server\r\n");
    auto stream = fs.OpenTextFile(t / "c.ini");
    const HANDLE writer = CreateFileW(win32::widen(t / "c.ini").c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);
    EXPECT_EQ(stream->ReadLine(), "UBICACIONSERVIDOR=S:\\Server");
}

TEST_F(Win32FileSystemTest, CreateFolderMakesExactlyThatFolder) {
    fs.CreateFolder(t / "Setup");
    EXPECT_TRUE(fs.FolderExists(t / "Setup"));
    EXPECT_EQ(failureNumber([&] { fs.CreateFolder(t / "Setup"); }), 58);
    EXPECT_EQ(failureNumber([&] { fs.CreateFolder(t / "falta/Setup"); }), 76);
    EXPECT_FALSE(fs.FolderExists(t / "falta"));
    failureNumber([&] { fs.CreateFolder(""); });
    const std::string drive(1, absentDriveLetter());
    failureNumber([&] { fs.CreateFolder(drive + ":\\Setup"); });
}

TEST_F(Win32FileSystemTest, DeletionRespectsReadOnlyFilesUnlessForced) {
    const std::string file = t.write("viejo.exe", "x", FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(failureNumber([&] { fs.DeleteFile(file, false); }), 70);
    EXPECT_TRUE(fs.FileExists(file));
    fs.DeleteFile(file, true);
    EXPECT_FALSE(fs.FileExists(file));
    EXPECT_EQ(failureNumber([&] { fs.DeleteFile(file, true); }), 53);
    EXPECT_EQ(failureNumber([&] { fs.DeleteFile(t.root(), true); }), 53);
    EXPECT_TRUE(fs.FolderExists(t.root()));
}

TEST_F(Win32FileSystemTest, AFailedForcedDeletionLeavesTheFileProtected) {
    const std::string file = t.write("en uso.exe", "x", FILE_ATTRIBUTE_READONLY);
    const LockedFile inUse(file);
    ASSERT_TRUE(inUse.locked());
    failureNumber([&] { fs.DeleteFile(file, true); });
    EXPECT_TRUE(fs.FileExists(file));
    EXPECT_TRUE(readOnly(file));
}

TEST_F(Win32FileSystemTest, BinaryFileTakesBytesAndReplacesAReadOnlyDestination) {
    const std::string destination = t.write("Quibrant_Setup.exe", "viejo", FILE_ATTRIBUTE_READONLY);
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
    file->close();
    failureNumber([&] { file->write("x", 1); });

    fs.replaceFile(t / "parcial", destination);
    EXPECT_EQ(readFile(destination), bytes);
    EXPECT_FALSE(fs.FileExists(t / "parcial"));
    EXPECT_FALSE(readOnly(destination));

    EXPECT_EQ(failureNumber([&] { fs.createBinaryFile(t / "falta/x.exe"); }), 76);
}

TEST_F(Win32FileSystemTest, CreatingAFileEmptiesAnOlderOne) {
    t.write("parcial", std::string(5000, 'v'));
    auto file = fs.createBinaryFile(t / "parcial");
    file->write("nuevo", 5);
    file->close();
    EXPECT_EQ(readFile(t / "parcial"), "nuevo");
}

TEST_F(Win32FileSystemTest, AFailedReplacementLeavesTheDestinationAsItWas) {
    const std::string destination = t.write("Quibrant_Setup.exe", "viejo", FILE_ATTRIBUTE_READONLY);
    failureNumber([&] { fs.replaceFile(t / "nada", destination); });
    EXPECT_EQ(readFile(destination), "viejo");
    EXPECT_TRUE(readOnly(destination));

    t.write("parcial", "nuevo");
    {
        const LockedFile inUse(destination);
        ASSERT_TRUE(inUse.locked());
        failureNumber([&] { fs.replaceFile(t / "parcial", destination); });
    }
    EXPECT_EQ(readFile(destination), "viejo");
    EXPECT_TRUE(readOnly(destination));
    EXPECT_EQ(readFile(t / "parcial"), "nuevo");
}

TEST_F(Win32FileSystemTest, SystemDriveRootComesFromTheEnvironment) {
    {
        ScopedVariable drive("SystemDrive", "D:");
        EXPECT_EQ(fs.systemDriveRoot(), "D:\\");
    }
    {
        ScopedVariable drive("SystemDrive", nullptr);
        EXPECT_EQ(fs.systemDriveRoot(), "C:\\");
    }
    EXPECT_EQ(fs.mapPath("d:\\Quibrant7"), "d:\\Quibrant7");
}

}  // namespace
}  // namespace quibrant::test
