#pragma once

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <string_view>

#include "platform/UniqueResource.h"

namespace quibrant::win32 {

// The owners of what the Windows services get from the system: kernel and
// search handles, COM references and values, and the per-thread settings
// they change for a while.

struct KernelHandleTraits {
    using Handle = HANDLE;
    static HANDLE empty() { return nullptr; }
    // Both "no handle" values the API hands out count as empty.
    static bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static bool close(HANDLE handle) { return CloseHandle(handle) != FALSE; }
};

// A kernel handle; when closing fails, GetLastError says why.
using UniqueHandle = platform::UniqueResource<KernelHandleTraits>;

struct FindHandleTraits {
    using Handle = HANDLE;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE; }
    static bool close(HANDLE handle) { return FindClose(handle) != FALSE; }
};

// A search handle of FindFirstFileExW.
using FindHandle = platform::UniqueResource<FindHandleTraits>;

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

// One reference to a COM interface, released when it goes out of scope.
template <typename Interface>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(other.pointer_) { other.pointer_ = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = other.pointer_;
            other.pointer_ = nullptr;
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // Releases what is held and answers the place a creating call writes a
    // new reference to.
    Interface** put() {
        reset();
        return &pointer_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // Takes over a reference the caller owns (one AddRef'd for us).
    void attach(Interface* pointer) {
        reset();
        pointer_ = pointer;
    }

    void reset() {
        if (pointer_ != nullptr) {
            Interface* const pointer = pointer_;
            pointer_ = nullptr;
            pointer->Release();
        }
    }

  private:
    Interface* pointer_ = nullptr;
};

// A VARIANT cleared (its string freed, its interface released) when it goes
// out of scope.
class Variant {
  public:
    Variant() { VariantInit(&value_); }
    explicit Variant(std::wstring_view text) {
        VariantInit(&value_);
        V_VT(&value_) = VT_BSTR;
        V_BSTR(&value_) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    VARTYPE type() const { return V_VT(&value_); }

  private:
    VARIANT value_;
};

// COM initialised for the calling thread as a single-threaded apartment, for
// as long as this object lives. A thread that already runs COM in the other
// mode keeps it; the objects the program uses work in either.
class ComApartment {
  public:
    ComApartment()
        : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        // S_FALSE (already initialised the same way) also takes a reference
        // that must be given back; RPC_E_CHANGED_MODE does not.
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }

  private:
    HRESULT result_;
};

}  // namespace quibrant::win32
