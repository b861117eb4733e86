#pragma once

#include <string>

namespace quibrant::platform {

class CheckedFile;

// Process-level services.
class Process {
  public:
    virtual ~Process() = default;
    // Each throws Failure when it cannot do what it is asked.
    virtual void changeDrive(char letter) = 0;
    virtual void changeDirectory(const std::string& folder) = 0;
    // Starts a program with a normal, focused window and does not wait for it.
    virtual void startProgram(const std::string& commandLine) = 0;
    // Starts the program file `checked` holds, which the command line names:
    // that very file, whatever has happened to its name since. Throws Failure
    // with errors::kFileChangedSinceCheck when the name now leads elsewhere.
    virtual void startChecked(const std::string& commandLine, const CheckedFile& checked) = 0;
    // The name of the entry that a directory listing of `path` shows, "" when
    // nothing matches. Ordinary files only, or files and folders.
    virtual std::string listName(const std::string& path, bool includeFolders) = 0;
    // Ends the program at once; nothing after it runs.
    [[noreturn]] virtual void end() = 0;
};

}  // namespace quibrant::platform
