#include "posix/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/BufferedBinaryFile.h"
#include "platform/BufferedTextStream.h"
#include "platform/ServiceFailures.h"
#include "posix/PosixFailure.h"
#include "posix/PosixHandles.h"
#include "posix/TextEncoding.h"

namespace quibrant::posix {

using namespace platform::failures;

namespace {

bool statOf(const std::string& path, struct stat& info) {
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

// A text file in Windows' Western code page, handed over as UTF-8.
class PosixTextStream : public platform::BufferedTextStream {
  public:
    PosixTextStream(Descriptor fd, std::string path)
        : BufferedTextStream(std::move(path)), fd_(std::move(fd)) {}

  protected:
    std::size_t readSome(char* buffer, std::size_t size) override {
        ssize_t got = 0;
        do {
            got = ::read(fd_.get(), buffer, size);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            throw systemFailure(errno, kCannotRead, path());
        }
        return static_cast<std::size_t>(got);
    }

    std::string decode(const std::string& bytes) override { return windows1252ToUtf8(bytes); }

    void closeFile() override { fd_.reset(); }

  private:
    Descriptor fd_;
};

class PosixBinaryFile : public platform::BufferedBinaryFile {
  public:
    PosixBinaryFile(Descriptor fd, std::string path)
        : BufferedBinaryFile(std::move(path)), fd_(std::move(fd)) {}

  protected:
    void writeBytes(const char* data, std::size_t size) override {
        const int error = writeAll(fd_.get(), data, size);
        if (error != 0) {
            throw systemFailure(error, kCannotWrite, path());
        }
    }

    void closeFile() override {
        if (!fd_.reset()) {
            throw systemFailure(errno, kCannotWrite, path());
        }
    }

  private:
    Descriptor fd_;
};

}  // namespace

PosixFileSystem::PosixFileSystem(WinePaths wine, std::string home)
    : wine_(std::move(wine)), home_(std::move(home)) {}

std::string PosixFileSystem::mapPath(const std::string& path) {
    return wine_.toLinux(path);
}

bool PosixFileSystem::FolderExists(const std::string& path) {
    struct stat info {};
    return statOf(mapPath(path), info) && S_ISDIR(info.st_mode);
}

bool PosixFileSystem::FileExists(const std::string& path) {
    struct stat info {};
    return statOf(mapPath(path), info) && S_ISREG(info.st_mode);
}

std::unique_ptr<platform::TextStream> PosixFileSystem::OpenTextFile(const std::string& path) {
    const std::string local = mapPath(path);
    Descriptor fd(::open(local.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        throw fileFailure(errno, kCannotOpen, path);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        throw systemFailure(errno, kCannotOpen, path);
    }
    if (!S_ISREG(info.st_mode)) {
        throw notAFile(path);
    }
    return std::make_unique<PosixTextStream>(std::move(fd), path);
}

void PosixFileSystem::CreateFolder(const std::string& path) {
    if (::mkdir(mapPath(path).c_str(), 0777) != 0) {
        throw systemFailure(errno, kCannotCreateFolder, path);
    }
}

void PosixFileSystem::DeleteFile(const std::string& path, bool force) {
    const std::string local = mapPath(path);
    struct stat info {};
    if (::lstat(local.c_str(), &info) != 0) {
        throw fileFailure(errno, kCannotDelete, path);
    }
    if (S_ISDIR(info.st_mode)) {
        throw notAFile(path);
    }
    // Linux would unlink a write-protected file anyway; without force the
    // protection is respected, as the program expects of this service.
    if (!force && S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0) {
        throw readOnlyFile(path);
    }
    if (::unlink(local.c_str()) != 0) {
        throw systemFailure(errno, kCannotDelete, path);
    }
}

std::unique_ptr<platform::BinaryFile> PosixFileSystem::createBinaryFile(const std::string& path) {
    Descriptor fd(::open(mapPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd.valid()) {
        throw systemFailure(errno, kCannotCreateFile, path);
    }
    return std::make_unique<PosixBinaryFile>(std::move(fd), path);
}

void PosixFileSystem::replaceFile(const std::string& from, const std::string& to) {
    if (::rename(mapPath(from).c_str(), mapPath(to).c_str()) != 0) {
        throw systemFailure(errno, kCannotReplace, to);
    }
}

std::string PosixFileSystem::systemDriveRoot() {
    const std::string drive = wine_.driveFolder('c');
    if (!drive.empty()) {
        return drive + "/";
    }
    return home_.empty() || home_.back() != '/' ? home_ + "/" : home_;
}

std::unique_ptr<platform::FileSystem> PosixFileSystemFactory::createFileSystem() {
    const char* home = std::getenv("HOME");
    return std::make_unique<PosixFileSystem>(WinePaths::fromEnvironment(),
                                             home != nullptr ? home : "");
}

}  // namespace quibrant::posix
