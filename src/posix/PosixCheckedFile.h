#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/SignatureCheck.h"
#include "posix/PosixHandles.h"
#include "posix/WinePaths.h"

namespace quibrant::posix {

// What tells one file from any other: its device and inode, as text.
std::string identityOf(const struct stat& info);

// A file as the signature check read it: the descriptor it read through,
// kept open, and what identified the file then (device, inode, size, change
// time). A name that leads to anything else no longer names the checked file.
class PosixCheckedFile : public platform::CheckedFile {
  public:
    // `path` is the name the file was checked under.
    PosixCheckedFile(Descriptor file, const struct stat& info, std::string path, WinePaths wine);

    void moveTo(const std::string& destination) override;

    // Whether the Linux path `local` leads to this very file, unchanged.
    bool isAt(const std::string& local) const;
    // Copies the checked bytes, read through the descriptor, into a new file
    // `target` that only the user can read and run. Throws Failure.
    void copyTo(const std::string& target) const;

  private:
    Descriptor file_;
    struct stat info_ {};
    std::string path_;
    WinePaths wine_;
};

}  // namespace quibrant::posix
