#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "LnkInfo.h"
#include "contract/System.h"
#include "posix/PosixEnvironment.h"
#include "posix/PosixFileSystem.h"
#include "posix/PosixProcess.h"
#include "posix/PosixShell.h"

namespace quibrant::test {

struct PosixVariables {
    static std::optional<std::string> get(const std::string& name) {
        const char* value = getenv(name.c_str());
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void put(const std::string& name, const std::optional<std::string>& value) {
        value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
};

// The Linux services on a folder of the test's own, removed afterwards: a
// wine prefix in it with drive c:, a home and a desktop ("Escritorio"), and
// an environment that names nothing else.
struct LinuxSystem {
    static constexpr const char* kRecordingInstaller = "#!/bin/sh\npwd -P > carpeta.txt\n";

    // Canonical, as the services answer with canonical paths.
    const std::string root = makeRoot();
    ScopedEnvironment<PosixVariables> variables;
    const std::string startFolder = posix::canonicalPath(".");
    posix::WinePaths wine{root + "/prefix"};
    posix::PosixFileSystem files{wine, root + "/home"};
    posix::PosixFileSystemFactory fileSystems;
    posix::PosixEnvironment environment;
    EndingProcess<posix::PosixProcess> process{wine};
    posix::PosixShellFactory shells{root + "/Escritorio", wine};

    LinuxSystem() {
        makeFolder("prefix/drive_c");
        link("../drive_c", "prefix/dosdevices/c:");
        makeFolder("home");
        makeFolder("Escritorio");
        variables.set("WINEPREFIX", path("prefix"));
        variables.set("HOME", path("home"));
        for (const char* name : {"TEMP", "TMP", "TMPDIR", "USERPROFILE", "HOMEDRIVE",
                                 "XDG_DESKTOP_DIR", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
            variables.unset(name);
        }
    }
    LinuxSystem(const LinuxSystem&) = delete;
    LinuxSystem& operator=(const LinuxSystem&) = delete;
    ~LinuxSystem() {
        EXPECT_EQ(chdir(startFolder.c_str()), 0);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    void wire(Services& services) {
        services.fileSystems = &fileSystems;
        services.process = &process;
        services.shells = &shells;
    }

    std::string operator/(const std::string& relative) const { return root + "/" + relative; }
    std::string path(const std::string& relative) const { return *this / relative; }
    std::string makeFolder(const std::string& relative) {
        std::filesystem::create_directories(path(relative));
        return path(relative);
    }
    // The variable that names the user's temporary folder, and the folder the
    // program falls back on when it names none that exists: the user's own.
    static constexpr const char* kTemporaryVariable = "TMPDIR";
    std::string secondTemporaryFolder() {
        return posix::canonicalPath(environment.variable("tmp"));
    }

    std::string write(const std::string& relative, const std::string& bytes, mode_t mode = 0644) {
        std::filesystem::create_directories(std::filesystem::path(path(relative)).parent_path());
        std::ofstream(path(relative), std::ios::binary) << bytes;
        chmod(path(relative).c_str(), mode);
        return path(relative);
    }
    void writeReadOnly(const std::string& relative, const std::string& bytes) {
        write(relative, bytes, 0444);
    }
    void link(const std::string& target, const std::string& relative) {
        std::filesystem::create_directories(std::filesystem::path(path(relative)).parent_path());
        std::filesystem::create_symlink(target, path(relative));
    }
    std::string read(const std::string& relative) {
        std::ifstream in(path(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool exists(const std::string& relative) {
        return std::filesystem::exists(std::filesystem::symlink_status(path(relative)));
    }
    bool readOnly(const std::string& relative) {
        using std::filesystem::perms;
        const perms granted = std::filesystem::status(path(relative)).permissions();
        return exists(relative) && (granted & perms::owner_write) == perms::none;
    }
    // Waits up to ten seconds for a file that another process writes.
    bool waitFor(const std::string& relative) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (struct stat info{}; std::chrono::steady_clock::now() < deadline;) {
            if (stat(path(relative).c_str(), &info) == 0 && info.st_size > 0) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // Linux hides the names that start with a dot.
    std::string writeHidden(const std::string& folder, const std::string& name) {
        return write(folder + "/." + name, "x");
    }
    std::string makeHiddenFolder(const std::string& folder, const std::string& name) {
        return makeFolder(folder + "/." + name);
    }

    std::string installer(const std::string& folder) {
        return write(folder + "/Instalar Quibrant ñ", kRecordingInstaller, 0755);
    }
    std::string recordedFolder(const std::string& folder) {
        const std::string text =
            waitFor(folder + "/carpeta.txt") ? read(folder + "/carpeta.txt") : "";
        return text.substr(0, text.find('\n'));
    }
    std::string folderAsSeen(const std::string& relative) {
        return posix::canonicalPath(path(relative));
    }
    std::string currentFolder() { return posix::canonicalPath("."); }
    std::string programElsewhere() { return "sh"; }

    std::string otherSpelling(const std::string& relative) { return root + "/./" + relative; }
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

    void removeDesktop() { std::filesystem::remove(path("Escritorio")); }
    std::string systemDriveRoot() { return path("prefix/dosdevices/c:/"); }

  private:
    static std::string makeRoot() {
        char pattern[] = "/tmp/quibrant-posix-XXXXXX";
        const char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        return made != nullptr ? std::filesystem::canonical(made).string() : "";
    }
};

}  // namespace quibrant::test
