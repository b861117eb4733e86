#pragma once

#include <windows.h>

#include <string>

#include "ServicesTestFolder.h"
#include "contract/LinkContents.h"
#include "support/FakeServices.h"
#include "win32/Win32Environment.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Process.h"
#include "win32/Win32Shell.h"

namespace quibrant::test {

// The stand-in installer built beside the test program: it records the
// folder it runs in and its command line in "carpeta.txt" there.
inline constexpr const char* kRecorderName = "services_record_folder.exe";
std::string recorderPath();

// The real process services, except that the program's end comes back to the
// test instead of ending it.
class EndingProcess : public win32::Win32Process {
  public:
    [[noreturn]] void end() override { throw ProgramEnded{}; }
};

// The shell's own objects, with the desktop moved to a folder of the test's,
// so that no test writes on the desktop of the machine.
class ShellWithDesktopAt : public platform::ShellFactory {
  public:
    ShellWithDesktopAt(platform::ShellFactory& shells, std::string desktop)
        : shells_(shells), desktop_(std::move(desktop)) {}
    std::unique_ptr<platform::ShellObject> createObject(const std::string& progId) override;

  private:
    platform::ShellFactory& shells_;
    std::string desktop_;
};

// A shortcut file read back through the shell's own reader.
LinkContents readShellLink(const std::string& path);

// The Windows services for the contract suites, on a folder of the test's
// own with a desktop "Escritorio" in it. The environment and the current
// folder are put back afterwards.
struct WindowsSystem {
    TestFolder t;
    ScopedEnvironment variables;
    ScopedCurrentFolder restoreFolder;
    win32::Win32FileSystem files;
    win32::Win32FileSystemFactory fileSystems;
    win32::Win32Environment environment;
    EndingProcess process;
    win32::Win32ShellFactory shells;
    ShellWithDesktopAt desktopShells{shells, t.makeFolder("Escritorio")};

    void wire(Services& services) {
        services.fileSystems = &fileSystems;
        services.process = &process;
        services.shells = &desktopShells;
    }

    std::string path(const std::string& relative) const { return t / relative; }
    void makeFolder(const std::string& relative) { t.makeFolder(relative); }
    void write(const std::string& relative, const std::string& bytes) { t.write(relative, bytes); }
    void writeReadOnly(const std::string& relative, const std::string& bytes) {
        t.write(relative, bytes, FILE_ATTRIBUTE_READONLY);
    }
    std::string read(const std::string& relative) { return readFile(t / relative); }
    bool exists(const std::string& relative) { return test::exists(t / relative); }
    bool readOnly(const std::string& relative) {
        const DWORD attributes = attributesOf(t / relative);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    }
    std::string writeHidden(const std::string& folder, const std::string& name) {
        return t.write(folder + "/" + name, "x", FILE_ATTRIBUTE_HIDDEN);
    }
    std::string makeHiddenFolder(const std::string& folder, const std::string& name);

    std::string installer(const std::string& folder);
    std::string recordedFolder(const std::string& folder);
    std::string folderAsSeen(const std::string& relative) { return t / relative; }
    std::string currentFolder() { return test::currentFolder(); }
    std::string programElsewhere() { return kRecorderName; }

    void setVariable(const std::string& name, const std::string& value) {
        variables.set(name, value);
    }
    void unsetVariable(const std::string& name) { variables.unset(name); }
    // The short (8.3) form.
    std::string otherSpelling(const std::string& relative) { return shortPathOf(t / relative); }
    std::size_t characters(const std::string& text) { return win32::widen(text).size(); }

    LinkContents readLink(const std::string& path) { return readShellLink(path); }
    std::string windowsPath(const std::string& path) { return path; }

    void removeDesktop() { RemoveDirectoryW(win32::widen(t / "Escritorio").c_str()); }
    std::string systemDriveRoot() {
        variables.set("SystemDrive", "C:");
        return "C:\\";
    }
};

}  // namespace quibrant::test
