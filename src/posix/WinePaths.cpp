#include "posix/WinePaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "platform/Text.h"
#include "posix/PosixEnvironment.h"
#include "posix/PosixHandles.h"

namespace quibrant::posix {

namespace {

constexpr const char* kDriveLinksFolder = "/dosdevices/";
// Wine maps its Z: drive to the root of the Linux file system.
constexpr char kRootDriveLetter = 'Z';

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string absolute(const std::string& path) {
    if (!path.empty() && path.front() == '/') {
        return path;
    }
    return takeString(::getcwd(nullptr, 0)) + "/" + path;
}

// The part of `path` below `root`, or false when `path` is not inside it.
bool relativeTo(const std::string& path, const std::string& root, std::string& rest) {
    if (root == "/") {
        rest = path.substr(1);
        return true;
    }
    if (path.compare(0, root.size(), root) != 0) {
        return false;
    }
    if (path.size() == root.size()) {
        rest.clear();
        return true;
    }
    if (path[root.size()] != '/') {
        return false;
    }
    rest = path.substr(root.size() + 1);
    return true;
}

std::string windowsForm(char letter, const std::string& rest, bool endsWithSeparator) {
    std::string out(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
    out += ":\\";
    for (const char c : rest) {
        out += c == '/' ? '\\' : c;
    }
    if (endsWithSeparator && out.back() != '\\') {
        out += '\\';
    }
    return out;
}

std::string lowerDrive(std::string drive) {
    drive[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(drive[0])));
    return drive;
}

// The entry of `folder` called `name` in any letter case, as Windows finds
// it: the name as written when it is there, else the first entry that
// differs from it only in case; "" when there is none.
std::string entryInAnyCase(const std::string& folder, const std::string& name) {
    struct stat info {};
    if (::lstat((folder + "/" + name).c_str(), &info) == 0) {
        return name;
    }
    const std::string wanted = platform::upperCase(name);
    const Directory dir(::opendir(folder.c_str()));
    while (dir) {
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr) {
            break;
        }
        const std::string candidate = entry->d_name;
        if (candidate != "." && candidate != ".." && platform::upperCase(candidate) == wanted) {
            return candidate;
        }
    }
    return "";
}

}  // namespace

WinePaths WinePaths::fromEnvironment() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix != nullptr && *prefix != '\0') {
        return WinePaths(prefix);
    }
    const char* home = std::getenv("HOME");
    return WinePaths(std::string(home != nullptr ? home : "") + "/.wine");
}

WinePaths::WinePaths(std::string prefix) : prefix_(std::move(prefix)) {
    while (prefix_.size() > 1 && prefix_.back() == '/') {
        prefix_.pop_back();
    }
}

bool WinePaths::isDrivePath(const std::string& path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && (path.size() == 2 || isSeparator(path[2]));
}

std::string WinePaths::toLinux(const std::string& path) const {
    if (!isDrivePath(path)) {
        return path;
    }
    // Letters and names are matched without regard to case, as on Windows,
    // as far as the names exist; the rest keeps the case it is written in,
    // so that what is created there gets the name the program gave. Wine
    // names its drive links in lower case.
    std::vector<std::string> names = {lowerDrive(path.substr(0, 2))};
    for (std::size_t at = 2; at < path.size();) {
        const std::size_t next = std::min(path.find_first_of("\\/", at + 1), path.size());
        if (next > at + 1) {
            names.push_back(path.substr(at + 1, next - at - 1));
        }
        at = next;
    }
    std::string out = prefix_ + kDriveLinksFolder;
    out.pop_back();
    bool found = true;
    for (const std::string& name : names) {
        const std::string existing = found ? entryInAnyCase(out, name) : "";
        found = !existing.empty();
        out += "/" + (found ? existing : name);
    }
    if (path.size() > 2 && isSeparator(path.back())) {
        out += '/';
    }
    return out;
}

std::string WinePaths::driveFolder(char letter) const {
    const std::string folder = toLinux(std::string(1, letter) + ":");
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? folder : std::string();
}

std::string WinePaths::toWindows(const std::string& linuxPath) const {
    if (isDrivePath(linuxPath)) {
        std::string out = linuxPath;
        out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[0])));
        for (char& c : out) {
            c = c == '/' ? '\\' : c;
        }
        return out;
    }
    const bool endsWithSeparator = !linuxPath.empty() && linuxPath.back() == '/';
    std::string path = absolute(linuxPath);
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }

    // Written through the drive's own link, the letter is plain to see.
    const std::string links = prefix_ + kDriveLinksFolder;
    std::string rest;
    if (path.compare(0, links.size(), links) == 0 && path.size() >= links.size() + 2 &&
        path[links.size() + 1] == ':' &&
        (path.size() == links.size() + 2 || path[links.size() + 2] == '/')) {
        const char letter = path[links.size()];
        rest = path.size() > links.size() + 3 ? path.substr(links.size() + 3) : "";
        return windowsForm(letter, rest, endsWithSeparator || rest.empty());
    }

    // Otherwise the drive whose folder holds the path, the deepest one first:
    // a prefix's c: usually holds drive_c while z: holds the whole system.
    std::string resolved = canonicalPath(path);
    if (resolved.empty()) {
        resolved = path;
    }
    char bestLetter = 0;
    std::string bestRoot;
    std::string bestRest;
    const Directory dir(::opendir(links.c_str()));
    while (dir) {
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr) {
            break;
        }
        const std::string name = entry->d_name;
        if (name.size() != 2 || name[1] != ':' ||
            !std::isalpha(static_cast<unsigned char>(name[0]))) {
            continue;
        }
        const std::string root = canonicalPath(links + name);
        std::string below;
        if (!root.empty() && root.size() > bestRoot.size() && relativeTo(resolved, root, below)) {
            bestLetter = name[0];
            bestRoot = root;
            bestRest = below;
        }
    }
    if (bestLetter != 0) {
        return windowsForm(bestLetter, bestRest, endsWithSeparator || bestRest.empty());
    }
    return windowsForm(kRootDriveLetter, resolved.substr(1), endsWithSeparator);
}

}  // namespace quibrant::posix
