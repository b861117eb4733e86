#pragma once

#include <cstddef>
#include <memory>
#include <string>

// Windows' headers define DeleteFile as a macro, which would rename the member
// below in some files and not in others.
#ifdef DeleteFile
#undef DeleteFile
#endif

namespace quibrant::platform {

// A text file opened for reading, single-byte text handed over as UTF-8.
class TextStream {
  public:
    virtual ~TextStream() = default;
    // True when the next character is a line break or the stream is at its end.
    virtual bool AtEndOfLine() = 0;
    virtual bool AtEndOfStream() = 0;
    // The next line without its line break.
    virtual std::string ReadLine() = 0;
    virtual void Close() = 0;
};

// A file opened for writing raw bytes.
class BinaryFile {
  public:
    virtual ~BinaryFile() = default;
    virtual void write(const char* data, std::size_t size) = 0;
    // Flushes and closes; throws Failure when the data could not be written.
    virtual void close() = 0;
};

// A new file that holds a download's bytes until they take the destination's
// place, and where it is.
struct PartialFile {
    std::unique_ptr<BinaryFile> file;
    std::string path;
    // What tells this file from any other put under its name later (device
    // and inode on Linux); "" where the system gives nothing.
    std::string identity;
};

// The file-system service. Every call that fails throws Failure; the queries
// answer false, never fail, for paths or drives that do not exist.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual bool FolderExists(const std::string& path) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    virtual std::unique_ptr<TextStream> OpenTextFile(const std::string& path) = 0;
    virtual void CreateFolder(const std::string& path) = 0;
    // Deletes a file; with force, read-only files too.
    virtual void DeleteFile(const std::string& path, bool force) = 0;

    // Creates a new file for raw-byte output in the folder of `destination`,
    // under a name of its own that nobody can guess, so that the final
    // replacement stays within one disk. It never opens, follows or empties an
    // entry that is already there, and only this program may write it until it
    // is closed. Throws Failure naming the destination when that is a folder,
    // or its folder is missing or cannot be written.
    virtual PartialFile createPartialFile(const std::string& destination) = 0;
    // Puts `from` in the place of `to` in one step, replacing a read-only `to`;
    // an entry at `to` is replaced itself, never written through.
    virtual void replaceFile(const std::string& from, const std::string& to) = 0;

    // The path the rest of the system uses for a path written the Windows way
    // ("d:\Quibrant7"). Windows returns it as it is.
    virtual std::string mapPath(const std::string& path) = 0;
    // The root of the system drive, the default destination folder; ends with
    // the separator.
    virtual std::string systemDriveRoot() = 0;
};

class FileSystemFactory {
  public:
    virtual ~FileSystemFactory() = default;
    virtual std::unique_ptr<FileSystem> createFileSystem() = 0;
};

}  // namespace quibrant::platform
