#include "posix/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/BufferedTextStream.h"
#include "posix/PosixFailure.h"
#include "posix/TextEncoding.h"

namespace quibrant::posix {

namespace {

constexpr const char* kCannotOpen = "No se pudo abrir el archivo";
constexpr const char* kCannotRead = "No se pudo leer el archivo";
constexpr const char* kNotAFile = "No es un archivo";
constexpr const char* kStreamClosed = "El archivo ya está cerrado";
constexpr const char* kCannotCreateFolder = "No se pudo crear la carpeta";
constexpr const char* kCannotDelete = "No se pudo borrar el archivo";
constexpr const char* kReadOnly = "El archivo es de solo lectura";
constexpr const char* kCannotCreateFile = "No se pudo crear el archivo";
constexpr const char* kCannotWrite = "No se pudo escribir el archivo";
constexpr const char* kCannotReplace = "No se pudo reemplazar el archivo";

constexpr std::size_t kWriteBuffer = 64 * 1024;

// A file descriptor closed when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now and answers the error of close, 0 when it went well.
    int reset() {
        int error = 0;
        if (fd_ >= 0 && ::close(fd_) != 0) {
            error = errno;
        }
        fd_ = -1;
        return error;
    }

  private:
    int fd_;
};

bool statOf(const std::string& path, struct stat& info) {
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

// A text file in Windows' Western code page, handed over as UTF-8.
class PosixTextStream : public platform::BufferedTextStream {
  public:
    PosixTextStream(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

    void Close() override { fd_.reset(); }

  protected:
    std::size_t readSome(char* buffer, std::size_t size) override {
        if (fd_.get() < 0) {
            throw platform::Failure(platform::errors::kBadFileNameOrNumber,
                                    std::string(kStreamClosed) + ": " + path_);
        }
        ssize_t got = 0;
        do {
            got = ::read(fd_.get(), buffer, size);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            throw systemFailure(errno, kCannotRead, path_);
        }
        return static_cast<std::size_t>(got);
    }

    std::string decode(const std::string& bytes) override { return windows1252ToUtf8(bytes); }

  private:
    Descriptor fd_;
    std::string path_;
};

// Raw bytes gathered in a buffer and written in large pieces.
class PosixBinaryFile : public platform::BinaryFile {
  public:
    PosixBinaryFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {
        buffer_.reserve(kWriteBuffer);
    }

    void write(const char* data, std::size_t size) override {
        if (buffer_.size() + size > kWriteBuffer) {
            flush();
        }
        if (size >= kWriteBuffer) {
            writeAll(data, size);
        } else {
            buffer_.insert(buffer_.end(), data, data + size);
        }
    }

    void close() override {
        if (fd_.get() < 0) {
            return;
        }
        flush();
        const int error = fd_.reset();
        if (error != 0) {
            throw systemFailure(error, kCannotWrite, path_);
        }
    }

  private:
    void flush() {
        writeAll(buffer_.data(), buffer_.size());
        buffer_.clear();
    }

    void writeAll(const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t written = ::write(fd_.get(), data, size);
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throw systemFailure(errno, kCannotWrite, path_);
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
    }

    Descriptor fd_;
    std::string path_;
    std::vector<char> buffer_;
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
    const int fd = ::open(local.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw fileFailure(errno, kCannotOpen, path);
    }
    Descriptor guard(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        throw systemFailure(errno, kCannotOpen, path);
    }
    if (!S_ISREG(info.st_mode)) {
        throw platform::Failure(platform::errors::kFileNotFound,
                                std::string(kNotAFile) + ": " + path);
    }
    auto stream = std::make_unique<PosixTextStream>(fd, path);
    // The stream owns the descriptor now.
    static_cast<void>(guard.release());
    return stream;
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
        throw platform::Failure(platform::errors::kFileNotFound,
                                std::string(kNotAFile) + ": " + path);
    }
    // Linux would unlink a write-protected file anyway; without force the
    // protection is respected, as the program expects of this service.
    if (!force && S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0) {
        throw platform::Failure(platform::errors::kPermissionDenied,
                                std::string(kReadOnly) + ": " + path);
    }
    if (::unlink(local.c_str()) != 0) {
        throw systemFailure(errno, kCannotDelete, path);
    }
}

std::unique_ptr<platform::BinaryFile> PosixFileSystem::createBinaryFile(const std::string& path) {
    const int fd = ::open(mapPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        throw systemFailure(errno, kCannotCreateFile, path);
    }
    return std::make_unique<PosixBinaryFile>(fd, path);
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
