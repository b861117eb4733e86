#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ServicesSystem.h"
#include "contract/FileSystemContract.h"
#include "support/FailureNumber.h"
#include "win32/services/Win32CheckedFile.h"
#include "win32/services/Win32Handles.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Windows, FileSystemContract, WindowsSystem);
INSTANTIATE_TYPED_TEST_SUITE_P(Windows, DiskFileSystemContract, WindowsSystem);

namespace {

// A file held open by another program that lets nobody delete or replace it.
win32::UniqueHandle lock(const std::string& path) {
    return win32::UniqueHandle(CreateFileW(win32::widen(path).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
}

class Win32FileSystemTest : public FileSystemContract<WindowsSystem> {
  protected:
    win32::Win32FileSystem& fs = s.files;
};

TEST_F(Win32FileSystemTest, NamesAreMatchedWithoutRegardToCaseAndAbsentDrivesAreNoFolders) {
    s.write("Quibrant7/Quibrant.ini", "x");
    EXPECT_TRUE(fs.FolderExists(s / "Quibrant7\\"));
    EXPECT_TRUE(fs.FileExists(s / "QUIBRANT7/quibrant.INI"));

    const char absent = absentDriveLetter();
    ASSERT_NE(absent, '\0');
    const std::string drive(1, absent);
    EXPECT_FALSE(fs.FolderExists(drive + ":\\Quibrant7"));
    EXPECT_FALSE(fs.FolderExists(drive + ":\\"));
    EXPECT_FALSE(fs.FileExists(drive + ":\\Quibrant7\\Quibrant.ini"));
    failureNumber([&] { fs.CreateFolder(drive + ":\\Setup"); });
}

TEST_F(Win32FileSystemTest, TextIsReadInTheAnsiCodePage) {
    // The program's ini files are Western European text; other code pages
    // would read these bytes as other letters.
    ASSERT_EQ(GetACP(), 1252u) << "the test expects a Western European system code page";
    s.write("texto.ini", "[Secci\xF3n]\r\nb=\x80\r\n");
    auto stream = fs.OpenTextFile(s / "texto.ini");
    EXPECT_EQ(stream->ReadLine(), "[Sección]");
    EXPECT_EQ(stream->ReadLine(), "b=€");
}

TEST_F(Win32FileSystemTest, AStreamSharesTheFileWhileOpenAndLetsGoOfItWhenClosed) {
    EXPECT_EQ(failureNumber([&] { fs.OpenTextFile(s / "falta/no.ini"); }), 76);
    s.write("c.ini", "UBICACIONSERVIDOR=S:\\Server\r\n");
    auto stream = fs.OpenTextFile(s / "c.ini");
    // An editor may write the ini file while the program reads it.
    win32::UniqueHandle writer(CreateFileW(win32::widen(s / "c.ini").c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(writer.valid());
    writer.reset();
    EXPECT_EQ(stream->ReadLine(), "UBICACIONSERVIDOR=S:\\Server");
    stream->Close();
    EXPECT_TRUE(DeleteFileW(win32::widen(s / "c.ini").c_str()));
}

TEST_F(Win32FileSystemTest, FilesInUseKeepTheirContentAndProtection) {
    const std::string file = s.write("en uso.exe", "x", FILE_ATTRIBUTE_READONLY);
    const std::string destination = s.write("Quibrant_Setup.exe", "viejo", FILE_ATTRIBUTE_READONLY);
    s.write("parcial", "nuevo");
    {
        const win32::UniqueHandle inUse = lock(file);
        const win32::UniqueHandle destinationInUse = lock(destination);
        ASSERT_TRUE(inUse.valid() && destinationInUse.valid());
        failureNumber([&] { fs.DeleteFile(file, true); });
        failureNumber([&] { fs.replaceFile(s / "parcial", destination); });
    }
    EXPECT_TRUE(s.exists("en uso.exe"));
    EXPECT_TRUE(s.readOnly("en uso.exe"));
    EXPECT_EQ(s.read("Quibrant_Setup.exe"), "viejo");
    EXPECT_TRUE(s.readOnly("Quibrant_Setup.exe"));
    EXPECT_EQ(s.read("parcial"), "nuevo");
}

// An older installer that another program holds open, or that still runs,
// cannot be replaced: the click is refused at once, naming it, with no
// partial file left beside it; a replacement, or the checked file's move,
// says the same and leaves both files as they were.
TEST_F(Win32FileSystemTest, ADestinationInUseIsToldOnTheClick) {
    const std::string destination = s.installer("dl");
    const std::string bytes = readFile(destination);
    const std::string partial = s.write("otra/parcial", "nuevo");
    const std::wstring wide = win32::widen(destination);
    const auto openedBy = [&wide](DWORD sharing) {
        return [&wide, sharing] {
            return win32::UniqueHandle(CreateFileW(wide.c_str(), GENERIC_READ, sharing, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        };
    };
    const struct {
        const char* holder;
        std::function<win32::UniqueHandle()> hold;
    } cases[] = {
        {"a reader that shares reading alone", openedBy(FILE_SHARE_READ)},
        {"a reader that shares everything",
         openedBy(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)},
        // What a running program keeps of its file: its image, mapped.
        {"the program running",
         [&wide] {
             const win32::UniqueHandle file(CreateFileW(
                 wide.c_str(), GENERIC_READ | GENERIC_EXECUTE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
             return win32::UniqueHandle(
                 CreateFileMappingW(file.get(), nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr));
         }},
    };
    const auto toldInUse = [&destination](const std::function<void()>& operation) {
        try {
            operation();
            ADD_FAILURE() << "done while in use";
        } catch (const platform::Failure& failure) {
            EXPECT_EQ(failure.number(), platform::errors::kPermissionDenied);
            EXPECT_EQ(failure.description(),
                      "Otro programa tiene abierto el archivo " + destination +
                          " (quizá el instalador anterior, que aún se está ejecutando). "
                          "Ciérrelo y vuelva a intentarlo.");
        }
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.holder);
        {
            const win32::UniqueHandle held = c.hold();
            ASSERT_TRUE(held.valid());
            toldInUse([&] { fs.createPartialFile(destination); });
            EXPECT_EQ(s.entries("dl"), std::vector<std::string>{"Instalar Quibrant ñ.exe"});
            toldInUse([&] { fs.replaceFile(partial, destination); });
            win32::Win32CheckedFile checked(win32::Win32CheckedFile::open(win32::widen(partial)));
            toldInUse([&] { checked.moveTo(destination); });
            EXPECT_TRUE(checked.isAt(win32::widen(partial)));
        }
        EXPECT_TRUE(readFile(destination) == bytes);
        platform::PartialFile made = fs.createPartialFile(destination);
        made.file->close();
        ASSERT_TRUE(DeleteFileW(win32::widen(made.path).c_str()));
    }
}

TEST_F(Win32FileSystemTest, SystemDriveRootComesFromTheEnvironment) {
    s.variables.set("SystemDrive", "D:");
    EXPECT_EQ(fs.systemDriveRoot(), "D:\\");
    s.variables.unset("SystemDrive");
    EXPECT_EQ(fs.systemDriveRoot(), "C:\\");
    EXPECT_EQ(fs.mapPath("d:\\Quibrant7"), "d:\\Quibrant7");
}

}  // namespace
}  // namespace quibrant::test
