#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string>

namespace quibrant::posix {

// The owners of what the Linux services get from the system: descriptors,
// directory streams and strings the system allocated.

// A file descriptor, closed when it goes out of scope.
class Descriptor {
  public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = other.release();
        }
        return *this;
    }
    ~Descriptor() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now and answers the error of close, 0 when it went well; an
    // error means data written through the descriptor may be lost.
    int reset() {
        int error = 0;
        if (fd_ >= 0 && ::close(fd_) != 0) {
            error = errno;
        }
        fd_ = -1;
        return error;
    }

  private:
    int fd_ = -1;
};

// Writes every byte, retrying after signals; answers 0, or the error that
// stopped it. Calls nothing but write, so a child may use it between fork
// and exec.
inline int writeAll(int fd, const void* data, std::size_t size) noexcept {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, next, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return errno;
        }
        if (written == 0) {
            return EIO;
        }
        next += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

struct DirectoryCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// A directory stream of opendir, closed with closedir.
using Directory = std::unique_ptr<DIR, DirectoryCloser>;

struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

// A string the system allocated for the caller to free (realpath, getcwd):
// its text, "" for none.
inline std::string takeString(char* text) {
    const std::unique_ptr<char, FreeDeleter> owned(text);
    return owned ? std::string(owned.get()) : std::string();
}

}  // namespace quibrant::posix
