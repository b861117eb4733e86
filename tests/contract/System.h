#pragma once

#include <map>
#include <optional>
#include <string>

#include "support/FakeServices.h"

namespace quibrant::test {

// The contract suites run against a system under test (LinuxSystem,
// WindowsSystem, the fakes' FakeSystem) that offers, as far as its suites ask:
//   files, environment, process, shells, variables (a ScopedEnvironment)
//   path, makeFolder, write, writeReadOnly, read, exists, readOnly: places in
//     the test's own folder, by their relative path
//   writeHidden, makeHiddenFolder: entries that listings leave out
//   installer(folder): a program there that records the folder it runs in,
//     and recordedFolder(folder), what it recorded ("" if it never ran)
//   folderAsSeen, currentFolder: folders as the system names them
//   programElsewhere: a program the system would find outside the current
//     folder; otherSpelling: another way to write a path; characters: a
//     path's length as the system counts it
//   readLink, windowsPath: a shortcut read back, paths as Windows writes them
//   wire, removeDesktop, systemDriveRoot: for the form's install operations,
//     with the shell's desktop at "Escritorio" in the test's folder
// The environment and the current folder are put back when the test ends.

// Environment variables set or removed for one test and put back when it
// ends. `Variables` reads and writes the system's environment:
//   static std::optional<std::string> get(name);
//   static void put(name, std::optional<std::string> value);  nullopt removes
template <typename Variables>
class ScopedEnvironment {
  public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            Variables::put(name, value);
        }
    }
    void set(const std::string& name, const std::string& value) {
        saved_.emplace(name, Variables::get(name));
        Variables::put(name, value);
    }
    void unset(const std::string& name) {
        saved_.emplace(name, Variables::get(name));
        Variables::put(name, std::nullopt);
    }

  private:
    std::map<std::string, std::optional<std::string>> saved_;
};

// What a saved shortcut file holds, read back by the system's own reader.
struct LinkContents {
    bool loaded = false;
    std::string target;
    std::string workingDirectory;
    std::string arguments;
    std::string iconPath;
    int iconIndex = -1;
};

// A system's real process services, except that the program's end comes
// back to the test instead of ending it.
template <typename RealProcess>
class EndingProcess : public RealProcess {
  public:
    using RealProcess::RealProcess;
    [[noreturn]] void end() override { throw ProgramEnded{}; }
};

}  // namespace quibrant::test
