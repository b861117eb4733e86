#include "posix/PosixEnvironment.h"

#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "posix/PosixHandles.h"
#include "posix/WinePaths.h"

extern char** environ;

namespace quibrant::posix {

namespace {

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

std::string firstSet(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        std::string value = environmentVariable(name);
        if (!value.empty()) {
            return value;
        }
    }
    return "";
}

// XDG_DESKTOP_DIR from the environment or from user-dirs.dirs, where it is
// written as XDG_DESKTOP_DIR="$HOME/Escritorio".
std::string configuredDesktop(const std::string& home) {
    std::string value = environmentVariable("XDG_DESKTOP_DIR");
    if (value.empty()) {
        std::string config = environmentVariable("XDG_CONFIG_HOME");
        if (config.empty()) {
            config = home + "/.config";
        }
        std::ifstream dirs(config + "/user-dirs.dirs");
        const std::string key = "XDG_DESKTOP_DIR=";
        for (std::string line; std::getline(dirs, line);) {
            if (line.compare(0, key.size(), key) == 0) {
                value = line.substr(key.size());
            }
        }
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
    }
    const std::string homeVariable = "$HOME";
    if (value.compare(0, homeVariable.size(), homeVariable) == 0) {
        value = home + value.substr(homeVariable.size());
    }
    // A relative or empty entry is no desktop; one equal to home means the
    // user switched the desktop off.
    if (value.empty() || value.front() != '/' || canonicalPath(value) == canonicalPath(home)) {
        return "";
    }
    while (value.size() > 1 && value.back() == '/') {
        value.pop_back();
    }
    return value;
}

// The user's login name, as wine names the user's folder in a prefix.
std::string userName() {
    const passwd* entry = getpwuid(geteuid());
    if (entry != nullptr && entry->pw_name != nullptr) {
        return entry->pw_name;
    }
    return environmentVariable("USER");
}

// `folder` as a folder of the user's own, created (with any missing parents)
// when it is not there, the last one open to the user alone; "" when it
// cannot be made or belongs to someone else.
std::string ownFolder(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        const std::string parent = folder.substr(0, slash);
        if (::mkdir(parent.c_str(), 0755) != 0 && errno != EEXIST) {
            return "";
        }
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return "";
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != geteuid()) {
        return "";
    }
    return folder;
}

}  // namespace

std::string environmentVariable(const std::string& name) {
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text(*entry);
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos && sameName(text.substr(0, equals), name)) {
            return text.substr(equals + 1);
        }
    }
    return "";
}

// The user's own temporary folder, as Windows gives every user one: never
// the shared /tmp, where another user's file could take the installer's
// name first.
std::string userTemporaryFolder() {
    const WinePaths wine = WinePaths::fromEnvironment();
    struct stat info {};
    const std::string drive = wine.prefix() + "/drive_c";
    const std::string user = userName();
    if (!user.empty() && ::stat(drive.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return ownFolder(drive + "/users/" + user + "/AppData/Local/Temp");
    }
    std::string cache = environmentVariable("XDG_CACHE_HOME");
    if (cache.empty() || cache.front() != '/') {
        const std::string home = environmentVariable("HOME");
        if (home.empty()) {
            return "";
        }
        cache = home + "/.cache";
    }
    return ownFolder(cache + "/quibrant-descarga");
}

std::string canonicalPath(const std::string& path) {
    return takeString(::realpath(path.c_str(), nullptr));
}

std::string PosixEnvironment::variable(const std::string& name) {
    // The folder the user chose, then the one of the user's own.
    if (sameName(name, "temp")) {
        const std::string chosen = environmentVariable("TMPDIR");
        return chosen.empty() ? userTemporaryFolder() : chosen;
    }
    if (sameName(name, "tmp")) {
        return userTemporaryFolder();
    }
    if (sameName(name, "HOMEDRIVE")) {
        return environmentVariable("HOME");
    }
    if (sameName(name, "userprofile")) {
        return firstSet({"USERPROFILE", "HOME"});
    }
    return environmentVariable(name);
}

std::string PosixEnvironment::longPathName(const std::string& path, std::size_t bufferSize) {
    std::string longPath = canonicalPath(path);
    if (longPath.size() + 1 > bufferSize) {
        return "";
    }
    return longPath;
}

std::string PosixEnvironment::desktopFolderOf(const std::string& profile) {
    return desktopFolderIn(profile);
}

std::string desktopFolderIn(const std::string& home) {
    const std::string configured = configuredDesktop(home);
    if (!configured.empty()) {
        return configured;
    }
    return home + (!home.empty() && home.back() == '/' ? "" : "/") + "Desktop";
}

}  // namespace quibrant::posix
