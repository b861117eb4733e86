#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/BufferedTextStream.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "support/FailureNumber.h"

namespace quibrant::test {

// What every file-system service does, the fake included. `S` is a system
// under test (contract/System.h).
template <typename S>
class FileSystemContract : public ::testing::Test {
  protected:
    S s;

    std::vector<std::string> lines(const std::string& bytes) {
        s.write("texto.ini", bytes);
        auto stream = s.files.OpenTextFile(s.path("texto.ini"));
        std::vector<std::string> out;
        while (!stream->AtEndOfStream()) {
            out.push_back(stream->ReadLine());
        }
        stream->Close();
        return out;
    }
};

TYPED_TEST_SUITE_P(FileSystemContract);

TYPED_TEST_P(FileSystemContract, QueriesTellFilesFromFoldersAndAnswerFalseForWhatIsMissing) {
    auto& s = this->s;
    s.write("Quibrant7/Quibrant.ini", "x");
    EXPECT_TRUE(s.files.FolderExists(s.path("Quibrant7")));
    EXPECT_TRUE(s.files.FileExists(s.path("Quibrant7/Quibrant.ini")));
    EXPECT_FALSE(s.files.FileExists(s.path("Quibrant7")));
    EXPECT_FALSE(s.files.FolderExists(s.path("Quibrant7/Quibrant.ini")));
    EXPECT_FALSE(s.files.FolderExists(s.path("Quibrant6")));
    EXPECT_FALSE(s.files.FileExists(s.path("Quibrant6/Quibrant.ini")));
    EXPECT_FALSE(s.files.FolderExists(""));
    EXPECT_FALSE(s.files.FileExists(""));
}

TYPED_TEST_P(FileSystemContract, TextIsReadLineByLineWhateverTheLineBreaks) {
    const std::vector<std::string> expected = {"[General]", "a=1", "", "b=2", "c", "", "d"};
    EXPECT_EQ(this->lines("[General]\r\na=1\r\n\r\nb=2\nc\r\rd"), expected);
    EXPECT_EQ(this->lines("sin salto final"), std::vector<std::string>{"sin salto final"});
    EXPECT_TRUE(this->lines("").empty());
    // Longer than any piece a service reads at a time.
    const std::string longLine(10000, 'q');
    EXPECT_EQ(this->lines(longLine + "\r\n" + longLine),
              (std::vector<std::string>{longLine, longLine}));
}

// No settings file comes near these sizes; reading one that does would cost
// what its size asks for.
TYPED_TEST_P(FileSystemContract, TextBeyondTheSizeOfASettingsFileIsRefused) {
    const std::size_t line = platform::BufferedTextStream::kMaxLineBytes;
    const std::size_t file = platform::BufferedTextStream::kMaxFileBytes;
    EXPECT_EQ(this->lines(std::string(line, 'q') + "\n")[0].size(), line);
    for (const std::string& bytes :
         {std::string(line + 1, 'q'), "a=1\n" + std::string(file - 4, '\n') + "b=2"}) {
        EXPECT_EQ(failureNumber([&] { this->lines(bytes); }), platform::errors::kOverflow);
    }
}

TYPED_TEST_P(FileSystemContract, AtEndOfLineIsTrueOnAnEmptyLineAndAtTheEnd) {
    auto& s = this->s;
    s.write("a.ini", "x\r\n\r\ny");
    auto stream = s.files.OpenTextFile(s.path("a.ini"));
    EXPECT_FALSE(stream->AtEndOfLine());
    EXPECT_EQ(stream->ReadLine(), "x");
    EXPECT_TRUE(stream->AtEndOfLine());
    EXPECT_FALSE(stream->AtEndOfStream());
    EXPECT_EQ(stream->ReadLine(), "");
    EXPECT_EQ(stream->ReadLine(), "y");
    EXPECT_TRUE(stream->AtEndOfLine());
    EXPECT_TRUE(stream->AtEndOfStream());
}

TYPED_TEST_P(FileSystemContract, OnlyExistingFilesOpenAndAClosedStreamReadsNoMore) {
    auto& s = this->s;
    s.makeFolder("Quibrant7");
    EXPECT_EQ(failureNumber([&] { s.files.OpenTextFile(s.path("no.ini")); }),
              platform::errors::kFileNotFound);
    EXPECT_EQ(failureNumber([&] { s.files.OpenTextFile(s.path("Quibrant7")); }),
              platform::errors::kFileNotFound);

    s.write("b.ini", "x\ny\n");
    auto closed = s.files.OpenTextFile(s.path("b.ini"));
    closed->Close();
    failureNumber([&] { closed->ReadLine(); });
}

TYPED_TEST_P(FileSystemContract, DeletionRespectsReadOnlyFilesUnlessForced) {
    auto& s = this->s;
    s.writeReadOnly("viejo.exe", "x");
    s.makeFolder("carpeta");
    const std::string file = s.path("viejo.exe");
    EXPECT_EQ(failureNumber([&] { s.files.DeleteFile(file, false); }),
              platform::errors::kPermissionDenied);
    EXPECT_TRUE(s.exists("viejo.exe"));
    s.files.DeleteFile(file, true);
    EXPECT_FALSE(s.exists("viejo.exe"));
    EXPECT_EQ(failureNumber([&] { s.files.DeleteFile(file, true); }),
              platform::errors::kFileNotFound);
    EXPECT_EQ(failureNumber([&] { s.files.DeleteFile(s.path("carpeta"), true); }),
              platform::errors::kFileNotFound);
    EXPECT_TRUE(s.exists("carpeta"));
}

TYPED_TEST_P(FileSystemContract, APartialFileTakesBytesAndReplacesAReadOnlyDestination) {
    auto& s = this->s;
    s.writeReadOnly("Quibrant_Setup.exe", "viejo");
    std::string bytes;
    for (int i = 0; i < 200000; ++i) {
        bytes += static_cast<char>(i % 251);
    }
    platform::PartialFile partial = s.files.createPartialFile(s.path("Quibrant_Setup.exe"));
    auto& file = partial.file;
    for (std::size_t at = 0; at < bytes.size(); at += 1024) {
        file->write(bytes.data() + at, std::min<std::size_t>(1024, bytes.size() - at));
    }
    file->write(bytes.data(), 0);
    file->close();
    file->close();
    failureNumber([&] { file->write("x", 1); });

    s.files.replaceFile(partial.path, s.path("Quibrant_Setup.exe"));
    EXPECT_EQ(s.read("Quibrant_Setup.exe"), bytes);
    EXPECT_FALSE(s.files.FileExists(partial.path));
    EXPECT_FALSE(s.readOnly("Quibrant_Setup.exe"));
}

// Beside the destination under a fresh name each time, and whatever is there
// already (the user's own file, one placed by someone else) stays as it is.
TYPED_TEST_P(FileSystemContract, APartialFileIsAlwaysANewFileBesideTheDestination) {
    auto& s = this->s;
    s.write("Quibrant_Setup.exe", "viejo");
    s.write("Quibrant_Setup.exe.descarga", "del usuario");
    const std::string destination = s.path("Quibrant_Setup.exe");
    platform::PartialFile first = s.files.createPartialFile(destination);
    platform::PartialFile second = s.files.createPartialFile(destination);
    for (const platform::PartialFile* partial : {&first, &second}) {
        EXPECT_EQ(partial->path.rfind(destination + ".", 0), 0u) << partial->path;
        EXPECT_TRUE(s.files.FileExists(partial->path));
        partial->file->close();
    }
    EXPECT_NE(first.path, second.path);
    EXPECT_NE(first.path, s.path("Quibrant_Setup.exe.descarga"));
    EXPECT_EQ(s.read("Quibrant_Setup.exe"), "viejo");
    EXPECT_EQ(s.read("Quibrant_Setup.exe.descarga"), "del usuario");
}

TYPED_TEST_P(FileSystemContract, NoPartialFileIsMadeForAFolder) {
    auto& s = this->s;
    s.makeFolder("Setup");
    EXPECT_EQ(failureNumber([&] { s.files.createPartialFile(s.path("Setup")); }),
              platform::errors::kPathFileAccessError);
    EXPECT_TRUE(s.files.FolderExists(s.path("Setup")));
}

TYPED_TEST_P(FileSystemContract, AReplacementWithoutASourceLeavesTheDestinationAsItWas) {
    auto& s = this->s;
    s.writeReadOnly("Quibrant_Setup.exe", "viejo");
    failureNumber([&] { s.files.replaceFile(s.path("nada"), s.path("Quibrant_Setup.exe")); });
    EXPECT_EQ(s.read("Quibrant_Setup.exe"), "viejo");
    EXPECT_TRUE(s.readOnly("Quibrant_Setup.exe"));
}

REGISTER_TYPED_TEST_SUITE_P(
    FileSystemContract, QueriesTellFilesFromFoldersAndAnswerFalseForWhatIsMissing,
    TextIsReadLineByLineWhateverTheLineBreaks, TextBeyondTheSizeOfASettingsFileIsRefused,
    AtEndOfLineIsTrueOnAnEmptyLineAndAtTheEnd, OnlyExistingFilesOpenAndAClosedStreamReadsNoMore,
    DeletionRespectsReadOnlyFilesUnlessForced,
    APartialFileTakesBytesAndReplacesAReadOnlyDestination,
    APartialFileIsAlwaysANewFileBesideTheDestination, NoPartialFileIsMadeForAFolder,
    AReplacementWithoutASourceLeavesTheDestinationAsItWas);

// What the services that work on a real disk do besides; the fake keeps no
// folder tree of its own.
template <typename S>
class DiskFileSystemContract : public FileSystemContract<S> {};

TYPED_TEST_SUITE_P(DiskFileSystemContract);

TYPED_TEST_P(DiskFileSystemContract, CreateFolderMakesExactlyThatFolder) {
    auto& s = this->s;
    s.files.CreateFolder(s.path("Setup"));
    EXPECT_TRUE(s.files.FolderExists(s.path("Setup")));
    EXPECT_EQ(failureNumber([&] { s.files.CreateFolder(s.path("Setup")); }),
              platform::errors::kFileAlreadyExists);
    EXPECT_EQ(failureNumber([&] { s.files.CreateFolder(s.path("falta/Setup")); }),
              platform::errors::kPathNotFound);
    EXPECT_FALSE(s.exists("falta"));
    failureNumber([&] { s.files.CreateFolder(""); });
}

TYPED_TEST_P(DiskFileSystemContract, NoFileIsCreatedInAFolderThatDoesNotExist) {
    auto& s = this->s;
    EXPECT_EQ(failureNumber([&] { s.files.createPartialFile(s.path("falta/x.exe")); }),
              platform::errors::kPathNotFound);
    EXPECT_FALSE(s.exists("falta"));
}

REGISTER_TYPED_TEST_SUITE_P(DiskFileSystemContract, CreateFolderMakesExactlyThatFolder,
                            NoFileIsCreatedInAFolderThatDoesNotExist);

}  // namespace quibrant::test
