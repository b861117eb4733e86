#include "posix/PosixEnvironment.h"

#include <strings.h>

#include <climits>
#include <cstdlib>
#include <fstream>

#include "posix/PosixHandles.h"

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

std::string canonicalPath(const std::string& path) {
    return takeString(::realpath(path.c_str(), nullptr));
}

std::string PosixEnvironment::variable(const std::string& name) {
    if (sameName(name, "tmp")) {
        std::string value = firstSet({"TMP", "TMPDIR"});
        return value.empty() ? "/tmp" : value;
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
