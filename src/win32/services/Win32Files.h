#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "win32/services/Win32Handles.h"

namespace quibrant::win32 {

// A text stream over an open file; lines end with CR LF, LF or a lone CR.
std::unique_ptr<platform::TextStream> makeTextStream(UniqueHandle file, std::string path);

// Raw bytes gathered in a buffer and written in large pieces.
std::unique_ptr<platform::BinaryFile> makeBinaryFile(UniqueHandle file, std::string path);

// The full path of `path` taken from the current folder (and, for "X:name",
// from drive X's current folder); "" with the reason in GetLastError.
std::wstring fullPathOf(const std::wstring& path);

// Whether another program has the existing file `path` open (the installer
// of an earlier download still running, say), so that it can be neither
// replaced nor deleted now.
bool openElsewhere(const std::wstring& path);
// What the user is told then: which file, and what to do about it.
platform::Failure fileInUse(const std::string& path);
// The failure of replacing `path` with GetLastError's `error`: the file in
// use when another program has it open, else the system's reason.
platform::Failure replaceFailure(std::uint32_t error, const std::string& path);

// Takes the read-only attribute off a file for as long as it lives, unless
// kept: an operation that then fails leaves the file protected as it was.
class WritableForNow {
  public:
    // `attributes`: the file's, or INVALID_FILE_ATTRIBUTES for no file.
    WritableForNow(const std::wstring& path, DWORD attributes)
        : path_(path), attributes_(attributes) {}
    WritableForNow(const WritableForNow&) = delete;
    WritableForNow& operator=(const WritableForNow&) = delete;
    ~WritableForNow();

    // False with the reason in GetLastError when the attribute stays.
    bool clear();
    // The file the attribute was cleared on is gone or replaced.
    void keep() { kept_ = true; }

  private:
    const std::wstring& path_;
    DWORD attributes_;
    bool cleared_ = false;
    bool kept_ = false;
};

}  // namespace quibrant::win32
