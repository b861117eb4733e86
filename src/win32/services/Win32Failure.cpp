#include "win32/services/Win32Failure.h"

#include <windows.h>

#include "platform/ServiceFailures.h"

namespace quibrant::win32 {
namespace {

namespace errors = platform::errors;

// Windows refuses to start a program that asks for administrator rights this
// way; mingw-w64's headers do not name the code.
constexpr DWORD kErrorElevationRequired = 740;

using platform::failures::SystemReason;

constexpr platform::failures::SystemError<DWORD> kSystemErrors[] = {
    {ERROR_FILE_NOT_FOUND, SystemReason::kFileNotFound},
    {ERROR_PATH_NOT_FOUND, SystemReason::kPathNotFound},
    {ERROR_BAD_NETPATH, SystemReason::kNetworkPathNotFound},
    {ERROR_BAD_NET_NAME, SystemReason::kNetworkResourceNotFound},
    {ERROR_ACCESS_DENIED, SystemReason::kPermissionDenied},
    {ERROR_SHARING_VIOLATION, SystemReason::kInUseByAnotherProgram},
    {ERROR_LOCK_VIOLATION, SystemReason::kLockedByAnotherProgram},
    {ERROR_WRITE_PROTECT, SystemReason::kWriteProtected},
    {kErrorElevationRequired, SystemReason::kNeedsAdministrator},
    {ERROR_CANCELLED, SystemReason::kCancelledByUser},
    {ERROR_DISK_FULL, SystemReason::kDiskFull},
    {ERROR_HANDLE_DISK_FULL, SystemReason::kDiskFull},
    {ERROR_CRC, SystemReason::kDataError},
    {ERROR_GEN_FAILURE, SystemReason::kDeviceFailed},
    {ERROR_IO_DEVICE, SystemReason::kDeviceIo},
    {ERROR_INVALID_NAME, SystemReason::kInvalidName},
    {ERROR_FILENAME_EXCED_RANGE, SystemReason::kNameTooLong},
    {ERROR_DIRECTORY, SystemReason::kInvalidFolderName},
    {ERROR_ALREADY_EXISTS, SystemReason::kAlreadyExists},
    {ERROR_FILE_EXISTS, SystemReason::kAlreadyExists},
    {ERROR_DIR_NOT_EMPTY, SystemReason::kFolderNotEmpty},
    {ERROR_NOT_SAME_DEVICE, SystemReason::kOtherDrive},
    {ERROR_INVALID_DRIVE, SystemReason::kNoSuchDrive},
    {ERROR_NOT_READY, SystemReason::kDriveNotReady},
    {ERROR_TOO_MANY_OPEN_FILES, SystemReason::kTooManyOpenFiles},
    {ERROR_NOT_ENOUGH_MEMORY, SystemReason::kOutOfMemory},
    {ERROR_OUTOFMEMORY, SystemReason::kOutOfMemory},
    {ERROR_BAD_EXE_FORMAT, SystemReason::kNotAProgram},
    {ERROR_NO_ASSOCIATION, SystemReason::kNoAssociatedProgram},
};

}  // namespace

std::string describeSystemError(std::uint32_t error) {
    return platform::failures::systemErrorReason(kSystemErrors, static_cast<DWORD>(error));
}

std::int32_t failureNumber(std::uint32_t error) {
    return platform::failures::systemErrorNumber(kSystemErrors, static_cast<DWORD>(error));
}

platform::Failure systemFailure(std::uint32_t error, const std::string& what,
                                const std::string& path) {
    return platform::failures::describedFailure(failureNumber(error), what, path,
                                                describeSystemError(error));
}

}  // namespace quibrant::win32
