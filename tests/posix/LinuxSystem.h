#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "LnkInfo.h"
#include "TempFolder.h"
#include "contract/LinkContents.h"
#include "posix/PosixEnvironment.h"
#include "posix/PosixFileSystem.h"
#include "posix/PosixProcess.h"
#include "posix/PosixShell.h"
#include "support/FakeServices.h"

namespace quibrant::test {

// The real process services, except that the program's end comes back to the
// test instead of ending it.
class EndingProcess : public posix::PosixProcess {
  public:
    using PosixProcess::PosixProcess;
    [[noreturn]] void end() override { throw ProgramEnded{}; }
};

// The Linux services for the contract suites, on a wine prefix (with drive
// c:), a home and a desktop made in a temporary folder, with an environment
// that names nothing else. The current folder is put back afterwards.
struct LinuxSystem {
    static constexpr const char* kRecordingInstaller = "#!/bin/sh\npwd -P > carpeta.txt\n";

    TempFolder t;
    ScopedEnvironment variables;
    posix::WinePaths wine{t / "prefix"};
    posix::PosixFileSystem files{wine, t / "home"};
    posix::PosixFileSystemFactory fileSystems;
    posix::PosixEnvironment environment;
    EndingProcess process{wine};
    posix::PosixShellFactory shells{t / "Escritorio", wine};
    std::string startFolder = posix::canonicalPath(".");

    LinuxSystem() {
        t.makeFolder("prefix/drive_c");
        t.link("../drive_c", "prefix/dosdevices/c:");
        t.makeFolder("home");
        t.makeFolder("Escritorio");
        variables.set("WINEPREFIX", t / "prefix");
        variables.set("HOME", t / "home");
        for (const char* name : {"TEMP", "TMP", "TMPDIR", "USERPROFILE", "HOMEDRIVE",
                                 "XDG_DESKTOP_DIR", "XDG_CONFIG_HOME"}) {
            variables.unset(name);
        }
    }
    LinuxSystem(const LinuxSystem&) = delete;
    LinuxSystem& operator=(const LinuxSystem&) = delete;
    ~LinuxSystem() { EXPECT_EQ(chdir(startFolder.c_str()), 0); }

    void wire(Services& services) {
        services.fileSystems = &fileSystems;
        services.process = &process;
        services.shells = &shells;
    }

    std::string path(const std::string& relative) const { return t / relative; }
    void makeFolder(const std::string& relative) { t.makeFolder(relative); }
    void write(const std::string& relative, const std::string& bytes) { t.write(relative, bytes); }
    void writeReadOnly(const std::string& relative, const std::string& bytes) {
        t.write(relative, bytes, 0444);
    }
    std::string read(const std::string& relative) { return readFile(t / relative); }
    bool exists(const std::string& relative) {
        struct stat info {};
        return lstat((t / relative).c_str(), &info) == 0;
    }
    bool readOnly(const std::string& relative) {
        struct stat info {};
        return stat((t / relative).c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0;
    }
    // Linux hides the names that start with a dot.
    std::string writeHidden(const std::string& folder, const std::string& name) {
        return t.write(folder + "/." + name, "x");
    }
    std::string makeHiddenFolder(const std::string& folder, const std::string& name) {
        return t.makeFolder(folder + "/." + name);
    }

    std::string installer(const std::string& folder) {
        return t.write(folder + "/Instalar Quibrant ñ", kRecordingInstaller, 0755);
    }
    std::string recordedFolder(const std::string& folder) {
        const std::string record = t / (folder + "/carpeta.txt");
        if (!waitForFile(record)) {
            return "";
        }
        const std::string text = readFile(record);
        return text.substr(0, text.find('\n'));
    }
    std::string folderAsSeen(const std::string& relative) {
        return posix::canonicalPath(t / relative);
    }
    std::string currentFolder() { return posix::canonicalPath("."); }
    std::string programElsewhere() { return "sh"; }

    void setVariable(const std::string& name, const std::string& value) {
        variables.set(name, value);
    }
    void unsetVariable(const std::string& name) { variables.unset(name); }
    std::string otherSpelling(const std::string& relative) { return t.root() + "/./" + relative; }
    std::size_t characters(const std::string& text) { return text.size(); }

    LinkContents readLink(const std::string& path) {
        auto fields = lnkinfo(path);
        LinkContents link;
        link.loaded = !fields.empty();
        link.target = fields["Local path"];
        link.workingDirectory = fields["Working directory"];
        link.arguments = fields["Command line arguments"];
        link.iconPath = fields["Icon location"];
        link.iconIndex = fields.count("Icon index") != 0 ? std::stoi(fields["Icon index"]) : -1;
        return link;
    }
    std::string windowsPath(const std::string& path) { return wine.toWindows(path); }

    void removeDesktop() { std::filesystem::remove(t / "Escritorio"); }
    std::string systemDriveRoot() { return t / "prefix/dosdevices/c:/"; }
};

}  // namespace quibrant::test
