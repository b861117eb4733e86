#pragma once

#include <string>

#include "platform/Process.h"
#include "posix/WinePaths.h"

namespace quibrant::posix {

// Process services on Linux. There are no drives to change to; folders and
// listed paths may be drive paths, reached through the wine prefix.
class PosixProcess : public platform::Process {
  public:
    explicit PosixProcess(WinePaths wine = WinePaths::fromEnvironment());

    // Linux has no current drive. A path that starts with a backslash (a
    // network share written the Windows way) names no drive and fails, as it
    // would on Windows; everything else is accepted and left alone.
    void changeDrive(char letter) override;
    void changeDirectory(const std::string& folder) override;
    // Starts the file of that name in the current folder directly, never
    // through a shell, and returns once it runs on its own. A Windows program
    // (.exe, .msi) is handed to wine when wine is on the PATH. Throws Failure
    // when the program cannot be started.
    void startProgram(const std::string& commandLine) override;
    // The same for the file a signature check holds, which must still be the
    // file the command line names. When someone other than the user could
    // rename it or its folder before wine opens it (a folder above it that
    // others may write and that is not sticky), a copy made from the checked
    // bytes in a folder of the user's own starts instead, from the same
    // current folder.
    void startChecked(const std::string& commandLine,
                      const platform::CheckedFile& checked) override;
    // The name that a listing of `path` shows: its last component when the
    // path names an ordinary file (or, with includeFolders, a folder) whose
    // name does not start with "." (hidden); "" otherwise.
    std::string listName(const std::string& path, bool includeFolders) override;
    [[noreturn]] void end() override;

  private:
    WinePaths wine_;
};

}  // namespace quibrant::posix
