#include "posix/PosixFailure.h"

#include <cerrno>

#include "platform/ServiceFailures.h"

namespace quibrant::posix {

namespace {

namespace errors = platform::errors;

using platform::failures::SystemReason;

constexpr platform::failures::SystemError<int> kSystemErrors[] = {
    {EACCES, SystemReason::kPermissionDenied},
    {EPERM, SystemReason::kNotPermitted},
    {EROFS, SystemReason::kReadOnlyFileSystem},
    {ENOENT, SystemReason::kNoSuchEntry},
    {ENOTDIR, SystemReason::kNotAFolderOnTheWay},
    {EEXIST, SystemReason::kAlreadyExists},
    {EISDIR, SystemReason::kIsAFolder},
    {ENOTEMPTY, SystemReason::kFolderNotEmpty},
    {ENOSPC, SystemReason::kDiskFull},
    {EDQUOT, SystemReason::kQuotaExceeded},
    {EIO, SystemReason::kDeviceIo},
    {EMFILE, SystemReason::kTooManyOpenFiles},
    {ENFILE, SystemReason::kTooManyOpenFilesInSystem},
    {ENAMETOOLONG, SystemReason::kNameTooLong},
    {ELOOP, SystemReason::kTooManyLinks},
    {ENOEXEC, SystemReason::kNotAProgram},
    {ETXTBSY, SystemReason::kInUse},
    {EXDEV, SystemReason::kOtherFileSystem},
    {ENOMEM, SystemReason::kOutOfMemory},
    {EAGAIN, SystemReason::kTryLater},
};

std::string describeSystemError(int error) {
    return platform::failures::systemErrorReason(kSystemErrors, error);
}

}  // namespace

platform::Failure systemFailure(int error, const std::string& what, const std::string& path) {
    return platform::failures::describedFailure(
        platform::failures::systemErrorNumber(kSystemErrors, error), what, path,
        describeSystemError(error));
}

platform::Failure fileFailure(int error, const std::string& what, const std::string& path) {
    if (error == ENOENT) {
        return platform::failures::describedFailure(errors::kFileNotFound, what, path,
                                                    describeSystemError(error));
    }
    return systemFailure(error, what, path);
}

}  // namespace quibrant::posix
