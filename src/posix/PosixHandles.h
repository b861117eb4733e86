#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/UniqueResource.h"

namespace quibrant::posix {

// The owners of what the Linux services get from the system: descriptors,
// directory streams and strings the system allocated.

struct DescriptorTraits {
    using Handle = int;
    static int empty() { return -1; }
    static bool valid(int fd) { return fd >= 0; }
    static bool close(int fd) { return ::close(fd) == 0; }
};

// A file descriptor; when closing fails, errno says why.
using Descriptor = platform::UniqueResource<DescriptorTraits>;

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
