#include "posix/PosixCheckedFile.h"

#include <fcntl.h>

#include <cerrno>
#include <vector>

#include "platform/Failure.h"
#include "platform/ServiceFailures.h"
#include "posix/PosixFailure.h"

namespace quibrant::posix {

namespace {

constexpr const char* kReplaced = "El instalador cambió después de comprobar su firma digital: ";
constexpr std::size_t kCopyBlock = 256 * 1024;

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

}  // namespace

std::string identityOf(const struct stat& info) {
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

PosixCheckedFile::PosixCheckedFile(Descriptor file, const struct stat& info, std::string path,
                                   WinePaths wine)
    : file_(std::move(file)), info_(info), path_(std::move(path)), wine_(std::move(wine)) {}

void PosixCheckedFile::moveTo(const std::string& destination) {
    const std::string from = wine_.toLinux(path_);
    // Renamed only while its name still leads to it: another file put in its
    // place would otherwise take the installer's name.
    if (!isAt(from)) {
        throw platform::Failure(platform::errors::kFileChangedSinceCheck, kReplaced + path_);
    }
    const std::string to = wine_.toLinux(destination);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        throw systemFailure(errno, platform::failures::kCannotReplace, destination);
    }
    // A rename changes the file's change time, nothing else: the time to
    // compare from here on is the one the file has under its new name.
    struct stat now {};
    if (::fstat(file_.get(), &now) != 0 || now.st_dev != info_.st_dev ||
        now.st_ino != info_.st_ino || now.st_size != info_.st_size) {
        throw platform::Failure(platform::errors::kFileChangedSinceCheck, kReplaced + destination);
    }
    info_ = now;
    path_ = destination;
    if (!isAt(to)) {
        throw platform::Failure(platform::errors::kFileChangedSinceCheck, kReplaced + destination);
    }
}

bool PosixCheckedFile::isAt(const std::string& local) const {
    struct stat there {};
    return ::stat(local.c_str(), &there) == 0 && sameFile(there, info_);
}

void PosixCheckedFile::copyTo(const std::string& target) const {
    const Descriptor copy(
        ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700));
    if (!copy.valid()) {
        throw systemFailure(errno, platform::failures::kCannotStart, target);
    }
    std::vector<char> block(kCopyBlock);
    for (off_t at = 0; at < info_.st_size;) {
        const ssize_t got = ::pread(file_.get(), block.data(), block.size(), at);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            throw systemFailure(got < 0 ? errno : EIO, platform::failures::kCannotStart, target);
        }
        if (const int error = writeAll(copy.get(), block.data(), static_cast<std::size_t>(got))) {
            throw systemFailure(error, platform::failures::kCannotStart, target);
        }
        at += got;
    }
}

}  // namespace quibrant::posix
