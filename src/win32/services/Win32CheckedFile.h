#pragma once

#include <windows.h>

#include <string>

#include "platform/SignatureCheck.h"
#include "win32/services/Win32Handles.h"

namespace quibrant::win32 {

// A file as the signature check read it, through a handle kept open that
// shares reading alone: while it lives nobody can write the file, delete it,
// rename it or put another file in its place.
class Win32CheckedFile : public platform::CheckedFile {
  public:
    // Opens `path` that way, with the right to rename the file when the user
    // has it (the download's own file), else for reading alone (an installer
    // on a disc or a share the user may only read). Not valid on failure,
    // with the reason in GetLastError.
    static UniqueHandle open(const std::wstring& path);

    explicit Win32CheckedFile(UniqueHandle file) : file_(std::move(file)) {}

    HANDLE handle() const { return file_.get(); }

    // Renames the file through the held handle, so that it never leaves our
    // hands: replaces a file at `destination`, a read-only one too.
    void moveTo(const std::string& destination) override;

    // Goes on holding the file through a handle for reading alone, once it
    // needs no renaming any more, so that readers that share reading but not
    // deleting (an installer that reads itself as it starts) can read it.
    // False when the file could not be held as firmly again: someone else
    // got at it in the moment between two handles.
    bool holdForReadingOnly() const;

    // Whether `path` leads to this very file now.
    bool isAt(const std::wstring& path) const;

  private:
    // Which handle holds the file changes nothing a caller can see.
    mutable UniqueHandle file_;
    mutable bool readingOnly_ = false;
    mutable bool firm_ = true;
};

}  // namespace quibrant::win32
