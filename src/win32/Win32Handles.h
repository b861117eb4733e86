#pragma once

#include <windows.h>

namespace quibrant::win32 {

// A kernel handle closed when it goes out of scope. Both "no handle" values
// the API hands out (NULL and INVALID_HANDLE_VALUE) count as empty.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        const HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    // Closes the handle held now; answers false when closing failed, which
    // for a file means data the system had not yet written may be lost.
    bool reset(HANDLE handle = nullptr) {
        bool closed = true;
        if (valid()) {
            closed = CloseHandle(handle_) != FALSE;
        }
        handle_ = handle;
        return closed;
    }

  private:
    HANDLE handle_ = nullptr;
};

// A search handle of FindFirstFileExW, closed with FindClose.
class FindHandle {
  public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (valid()) {
            FindClose(handle_);
        }
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

// While it lives, a query on a drive without a medium (an empty card reader,
// a CD drive with no disc) fails quietly instead of making Windows ask the
// user to insert a disk. Scoped to the calling thread only.
class QuietDriveErrors {
  public:
    QuietDriveErrors() {
        if (!SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_)) {
            restore_ = false;
        }
    }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;
    ~QuietDriveErrors() {
        if (restore_) {
            // The caller may still read the error of the query it guarded.
            const DWORD error = GetLastError();
            SetThreadErrorMode(previous_, nullptr);
            SetLastError(error);
        }
    }

  private:
    DWORD previous_ = 0;
    bool restore_ = true;
};

}  // namespace quibrant::win32
