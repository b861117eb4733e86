#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "contract/System.h"
#include "win32/services/Utf16.h"
#include "win32/services/Win32Environment.h"
#include "win32/services/Win32FileSystem.h"
#include "win32/services/Win32Process.h"
#include "win32/services/Win32Shell.h"

namespace quibrant::test {

// The stand-in installer built beside the test program: it records the
// folder it runs in and its command line in "carpeta.txt" there.
inline constexpr const char* kRecorderName = "services_record_folder.exe";

// The bytes of a file; "" when it cannot be read.
std::string readFile(const std::string& path);
DWORD attributesOf(const std::string& path);
// The long form of the current folder.
std::string currentFolder();
// The short (8.3) form of an existing path; wine makes up hashed names.
std::string shortPathOf(const std::string& path);
// A drive letter that names no drive on this machine, or '\0'.
char absentDriveLetter();

struct WindowsVariables {
    static std::optional<std::string> get(const std::string& name);
    static void put(const std::string& name, const std::optional<std::string>& value);
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

// The Windows services on a fresh folder under the user's temporary folder,
// removed with everything in it (read-only files included) afterwards, with
// a desktop ("Escritorio") in it. The folder's name holds letters outside
// ASCII, so every path a test passes on does too.
struct WindowsSystem {
    // The folder's full long path, in UTF-8, without a final separator.
    const std::string root = makeRoot();
    const std::string startFolder = currentFolder();
    ScopedEnvironment<WindowsVariables> variables;
    win32::Win32FileSystem files;
    win32::Win32FileSystemFactory fileSystems;
    win32::Win32Environment environment;
    EndingProcess<win32::Win32Process> process;
    win32::Win32ShellFactory shells;
    ShellWithDesktopAt desktopShells{shells, makeFolder("Escritorio")};

    WindowsSystem() = default;
    WindowsSystem(const WindowsSystem&) = delete;
    WindowsSystem& operator=(const WindowsSystem&) = delete;
    ~WindowsSystem();

    void wire(Services& services) {
        services.fileSystems = &fileSystems;
        services.process = &process;
        services.shells = &desktopShells;
    }

    // root\relative, with any "/" in `relative` written as "\".
    std::string operator/(const std::string& relative) const;
    std::string path(const std::string& relative) const { return *this / relative; }
    std::string makeFolder(const std::string& relative) const;
    std::string write(const std::string& relative, const std::string& bytes,
                      DWORD attributes = FILE_ATTRIBUTE_NORMAL) const;
    void writeReadOnly(const std::string& relative, const std::string& bytes) {
        write(relative, bytes, FILE_ATTRIBUTE_READONLY);
    }
    std::string read(const std::string& relative) { return readFile(path(relative)); }
    // The names in a folder, sorted.
    std::vector<std::string> entries(const std::string& relative) const;
    bool exists(const std::string& relative) {
        return attributesOf(path(relative)) != INVALID_FILE_ATTRIBUTES;
    }
    bool readOnly(const std::string& relative) {
        const DWORD attributes = attributesOf(path(relative));
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    }
    std::string writeHidden(const std::string& folder, const std::string& name) {
        return write(folder + "/" + name, "x", FILE_ATTRIBUTE_HIDDEN);
    }
    std::string makeHiddenFolder(const std::string& folder, const std::string& name);

    std::string installer(const std::string& folder);
    std::string recordedFolder(const std::string& folder);
    std::string folderAsSeen(const std::string& relative) { return path(relative); }
    std::string currentFolder() { return test::currentFolder(); }
    std::string programElsewhere() { return kRecorderName; }

    // The variable that names the user's temporary folder, and the folder the
    // program falls back on when it names none that exists: TMP's.
    static constexpr const char* kTemporaryVariable = "TEMP";
    std::string secondTemporaryFolder() {
        variables.set("TMP", makeFolder("tmp"));
        return path("tmp");
    }

    // The short (8.3) form.
    std::string otherSpelling(const std::string& relative) { return shortPathOf(path(relative)); }
    std::size_t characters(const std::string& text) { return win32::widen(text).size(); }

    LinkContents readLink(const std::string& path);
    std::string windowsPath(const std::string& path) { return path; }

    void removeDesktop() { RemoveDirectoryW(win32::widen(path("Escritorio")).c_str()); }
    std::string systemDriveRoot() {
        variables.set("SystemDrive", "C:");
        return "C:\\";
    }

  private:
    static std::string makeRoot();
};

}  // namespace quibrant::test
