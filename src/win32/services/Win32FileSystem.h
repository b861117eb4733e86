#pragma once

#include <windows.h>

#include <memory>
#include <string>

// The interface takes back the name DeleteFile from windows.h's macro, so it
// comes after windows.h; the code below calls DeleteFileW by its own name.
#include "platform/FileSystem.h"

namespace quibrant::win32 {

// The file-system service on Windows. Text files are read as single-byte text
// in the system's ANSI code page and handed over as UTF-8; queries about
// drives without a medium answer false without a "no disk" prompt.
class Win32FileSystem : public platform::FileSystem {
  public:
    bool FolderExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    std::unique_ptr<platform::TextStream> OpenTextFile(const std::string& path) override;
    void CreateFolder(const std::string& path) override;
    void DeleteFile(const std::string& path, bool force) override;
    platform::PartialFile createPartialFile(const std::string& destination) override;
    void replaceFile(const std::string& from, const std::string& to) override;
    std::string mapPath(const std::string& path) override;
    std::string systemDriveRoot() override;
};

class Win32FileSystemFactory : public platform::FileSystemFactory {
  public:
    std::unique_ptr<platform::FileSystem> createFileSystem() override;
};

}  // namespace quibrant::win32
