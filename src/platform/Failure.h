#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quibrant::platform {

// A failure as the program reports it: an error number and a Spanish description
// the user can read. Platform adapters and the core's own checks throw it; each
// operation that traps failures catches it at its own boundary and nowhere else.
class Failure : public std::runtime_error {
  public:
    Failure(std::int32_t number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    std::int32_t number() const { return number_; }
    std::string description() const { return what(); }

  private:
    std::int32_t number_;
};

// The program's numbered failures, the one list that the core and every
// system's services number their failures from, so that the same kind of
// failure reads alike whichever part raised it. Never 0 and never -1: the
// program takes those for success.
namespace errors {
inline constexpr std::int32_t kInvalidProcedureCall = 5;
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kTypeMismatch = 13;
// What the shortcut operation reports for a failure that came without a number.
inline constexpr std::int32_t kInternalError = 51;
inline constexpr std::int32_t kBadFileNameOrNumber = 52;
inline constexpr std::int32_t kFileNotFound = 53;
inline constexpr std::int32_t kDeviceIo = 57;
inline constexpr std::int32_t kFileAlreadyExists = 58;
inline constexpr std::int32_t kDiskFull = 61;
inline constexpr std::int32_t kTooManyFiles = 67;
inline constexpr std::int32_t kDeviceUnavailable = 68;
inline constexpr std::int32_t kPermissionDenied = 70;
inline constexpr std::int32_t kDiskNotReady = 71;
inline constexpr std::int32_t kPathFileAccessError = 75;
inline constexpr std::int32_t kPathNotFound = 76;
inline constexpr std::int32_t kInvalidPropertyValue = 380;
inline constexpr std::int32_t kCannotCreateObject = 429;
inline constexpr std::int32_t kNoSuchPropertyOrMethod = 438;
inline constexpr std::int32_t kAutomationError = 440;
inline constexpr std::int32_t kTransferFailed = 35750;
// A program could not start for a cause the user can remedy, which the
// description names: this system cannot run that kind of program as it is
// set up, or the file is no program at all.
inline constexpr std::int32_t kProgramKindUnsupported = 35760;
inline constexpr std::int32_t kNotAProgram = 35761;
// A file that a signature check vetted is no longer the one its name leads to.
inline constexpr std::int32_t kFileChangedSinceCheck = 35762;
}  // namespace errors

}  // namespace quibrant::platform
