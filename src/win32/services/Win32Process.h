#pragma once

#include <string>

#include "platform/Process.h"

namespace quibrant::win32 {

// Process services on Windows: the current drive and folder, starting the
// installer, the listing of one path and the immediate end of the program.
class Win32Process : public platform::Process {
  public:
    // Makes drive `letter` (a to z, either case) the current drive, at the
    // folder Windows remembers for it; anything else names no drive.
    void changeDrive(char letter) override;
    void changeDirectory(const std::string& folder) override;
    // `commandLine` names one program file, relative to the current folder or
    // in full; it is started directly, never looked up on the PATH and never
    // through a command interpreter, with a normal window that may take the
    // focus, and runs on after this program ends. Throws Failure when Windows
    // will not start it, including when it asks for administrator rights.
    void startProgram(const std::string& commandLine) override;
    // The same for the file a Win32CheckedFile holds, which the command line
    // must lead to; it stays held until CreateProcessW has returned.
    void startChecked(const std::string& commandLine,
                      const platform::CheckedFile& checked) override;
    // The name a directory listing of `path` shows: the entry's long name
    // when the path names a file that is neither hidden nor a system file
    // (with includeFolders, such a folder too); "." for an existing folder
    // written with its final separator when folders are included; "" for
    // anything else, wildcards included.
    std::string listName(const std::string& path, bool includeFolders) override;
    [[noreturn]] void end() override;
};

}  // namespace quibrant::win32
