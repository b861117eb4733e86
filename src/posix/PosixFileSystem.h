#pragma once

#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "posix/WinePaths.h"

namespace quibrant::posix {

// The file-system service on Linux. Every path it takes may be a drive path
// ("c:\Quibrant7", "d:/Setup"), which it reaches through the wine prefix.
// Text files are read as single-byte Windows text and handed over as UTF-8.
class PosixFileSystem : public platform::FileSystem {
  public:
    PosixFileSystem(WinePaths wine, std::string home);

    bool FolderExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    std::unique_ptr<platform::TextStream> OpenTextFile(const std::string& path) override;
    void CreateFolder(const std::string& path) override;
    void DeleteFile(const std::string& path, bool force) override;
    platform::PartialFile createPartialFile(const std::string& destination) override;
    void replaceFile(const std::string& from, const std::string& to) override;
    std::string mapPath(const std::string& path) override;
    std::string systemDriveRoot() override;

  private:
    WinePaths wine_;
    std::string home_;
};

// Creates file systems on the wine prefix and home folder of the environment.
class PosixFileSystemFactory : public platform::FileSystemFactory {
  public:
    std::unique_ptr<platform::FileSystem> createFileSystem() override;
};

}  // namespace quibrant::posix
