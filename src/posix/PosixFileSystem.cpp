#include "posix/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>

#include "platform/BufferedBinaryFile.h"
#include "platform/BufferedTextStream.h"
#include "platform/PartialFileName.h"
#include "platform/ServiceFailures.h"
#include "posix/PosixCheckedFile.h"
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

// A raw-byte file that, once complete, takes `finalMode`: the permissions it
// was created with keep others out only while it fills.
class PosixBinaryFile : public platform::BufferedBinaryFile {
  public:
    PosixBinaryFile(Descriptor fd, std::string path, mode_t finalMode)
        : BufferedBinaryFile(std::move(path)), fd_(std::move(fd)), finalMode_(finalMode) {}

  protected:
    void writeBytes(const char* data, std::size_t size) override {
        const int error = writeAll(fd_.get(), data, size);
        if (error != 0) {
            throw systemFailure(error, kCannotWrite, path());
        }
    }

    void closeFile() override {
        if (::fchmod(fd_.get(), finalMode_) != 0) {
            const int error = errno;
            fd_.reset();
            throw systemFailure(error, kCannotWrite, path());
        }
        if (!fd_.reset()) {
            throw systemFailure(errno, kCannotWrite, path());
        }
    }

  private:
    Descriptor fd_;
    mode_t finalMode_;
};

// The process's file-creation mask, read without changing it: umask(2) can
// only be read by setting it, which would race with any other thread that
// creates a file meanwhile.
mode_t creationMask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
        }
    }
    return 022;
}

std::uint64_t randomNumber(const std::string& destination) {
    std::uint64_t value = 0;
    if (::getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) {
        throw systemFailure(errno, kCannotSaveDestination, destination);
    }
    return value;
}

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

platform::PartialFile PosixFileSystem::createPartialFile(const std::string& destination) {
    const std::string local = mapPath(destination);
    struct stat info {};
    if (statOf(local, info) && S_ISDIR(info.st_mode)) {
        throw destinationIsFolder(destination);
    }
    if (local.empty() || local.back() == '/') {
        throw systemFailure(local.empty() ? ENOENT : EISDIR, kCannotSaveDestination, destination);
    }
    // Readable by others again once complete, as any file the user makes.
    const mode_t finalMode = 0666 & ~creationMask();
    int error = EEXIST;
    for (int attempt = 0; attempt < platform::kPartialFileAttempts && error == EEXIST; ++attempt) {
        std::string path = platform::partialFileName(local, randomNumber(destination));
        Descriptor fd(
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd.valid()) {
            struct stat made {};
            const std::string identity = ::fstat(fd.get(), &made) == 0 ? identityOf(made) : "";
            // Its failures name the file the user asked for; the partial
            // file's name means nothing to them.
            return {std::make_unique<PosixBinaryFile>(std::move(fd), destination, finalMode),
                    std::move(path), identity};
        }
        error = errno;
    }
    throw systemFailure(error, kCannotSaveDestination, destination);
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
