#include "posix/PosixShell.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <vector>

#include "platform/ServiceFailures.h"
#include "platform/Text.h"
#include "posix/PosixEnvironment.h"
#include "posix/PosixFailure.h"
#include "posix/PosixHandles.h"
#include "posix/ShellLinkWriter.h"

namespace quibrant::posix {

namespace {

constexpr const char* kShellProgId = "WScript.Shell";
constexpr const char* kDesktopFolderName = "Desktop";
constexpr const char* kNoSuchPropertyText = "El acceso directo no tiene la propiedad";
constexpr const char* kCannotSave = "No se pudo guardar el acceso directo";
constexpr const char* kUserProfile = "userprofile";
constexpr std::size_t kLongPathBuffer = 255;
// What desktop sessions create the user's folders with.
constexpr mode_t kNewFolderMode = 0755;

// The properties a shortcut takes, by their upper-case names.
constexpr const char* kTargetPath = "TARGETPATH";
constexpr const char* kIconLocation = "ICONLOCATION";
constexpr const char* kWorkingDirectory = "WORKINGDIRECTORY";
constexpr const char* kArguments = "ARGUMENTS";

// "path, 3" is the icon of index 3 in path; the link keeps the two apart.
void splitIconLocation(const std::string& location, std::string& path, std::int32_t& index) {
    path = location;
    index = 0;
    const std::size_t comma = location.rfind(',');
    if (comma == std::string::npos) {
        return;
    }
    const std::string number = platform::trimSpaces(location.substr(comma + 1));
    if (number.empty() || number.find_first_not_of("-0123456789") != std::string::npos) {
        return;
    }
    try {
        index = std::stoi(number);
    } catch (const std::exception&) {
        return;
    }
    path = platform::trimSpaces(location.substr(0, comma));
}

// Writes the whole file beside its final place and then moves it there, so a
// failed save leaves the old shortcut (or none), never half a file.
void writeFileAtomically(const std::string& path, const std::string& bytes,
                         const std::string& shownPath) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = folder + "/." + name + ".XXXXXX";
    std::vector<char> pattern(temporary.begin(), temporary.end());
    pattern.push_back('\0');
    Descriptor file(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!file.valid()) {
        throw systemFailure(errno, kCannotSave, shownPath);
    }
    temporary = pattern.data();
    int error = writeAll(file.get(), bytes.data(), bytes.size());
    if (error == 0 && ::fchmod(file.get(), 0644) != 0) {
        error = errno;
    }
    if (!file.reset() && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        throw systemFailure(error, kCannotSave, shownPath);
    }
}

class PosixShortcut : public platform::ShortcutObject {
  public:
    PosixShortcut(std::string path, const WinePaths& wine) : path_(std::move(path)), wine_(wine) {}

    void setProperty(const std::string& name, const std::string& value) override {
        const std::string key = platform::upperCase(name);
        if (key != kTargetPath && key != kIconLocation && key != kWorkingDirectory &&
            key != kArguments) {
            throw platform::Failure(platform::errors::kNoSuchPropertyOrMethod,
                                    std::string(kNoSuchPropertyText) + " " + name);
        }
        properties_[key] = value;
    }

    void Save() override {
        ShellLink link;
        const std::string target = properties_[kTargetPath];
        if (!target.empty()) {
            link.target.path = wine_.toWindows(target);
            struct stat info {};
            if (::stat(wine_.toLinux(target).c_str(), &info) == 0) {
                link.target.isFolder = S_ISDIR(info.st_mode);
                link.target.size = static_cast<std::uint64_t>(info.st_size);
                link.target.creationTime = info.st_ctime;
                link.target.accessTime = info.st_atime;
                link.target.writeTime = info.st_mtime;
            }
        }
        const std::string workingDirectory = properties_[kWorkingDirectory];
        if (!workingDirectory.empty()) {
            link.workingDirectory = wine_.toWindows(workingDirectory);
        }
        link.arguments = properties_[kArguments];
        std::string iconPath;
        splitIconLocation(properties_[kIconLocation], iconPath, link.iconIndex);
        if (!iconPath.empty()) {
            link.iconLocation = wine_.toWindows(iconPath);
        }
        writeFileAtomically(wine_.toLinux(path_), shellLinkBytes(link), path_);
    }

  private:
    std::string path_;
    const WinePaths& wine_;
    std::map<std::string, std::string> properties_;
};

// Creates a missing folder and the missing folders above it, as a desktop
// session does for the user's folders when it starts. A folder that cannot be
// made is left to the save that needs it, which says why.
void makeFolders(const std::string& folder) {
    struct stat info {};
    if (folder.empty() || ::stat(folder.c_str(), &info) == 0) {
        return;
    }
    const std::size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        makeFolders(folder.substr(0, slash));
    }
    ::mkdir(folder.c_str(), kNewFolderMode);
}

class PosixShell : public platform::ShellObject {
  public:
    PosixShell(const std::string& desktopFolder, bool userDesktop, const WinePaths& wine)
        : desktopFolder_(desktopFolder), userDesktop_(userDesktop), wine_(wine) {}

    std::string SpecialFolders(const std::string& name) override {
        if (strcasecmp(name.c_str(), kDesktopFolderName) != 0) {
            return "";
        }
        // The caller adds the separator itself.
        std::string folder = desktopFolder_;
        while (folder.size() > 1 && folder.back() == '/') {
            folder.pop_back();
        }
        // On a machine where no desktop session has run yet, the user's
        // desktop folder does not exist; the shortcut needs it.
        if (userDesktop_) {
            makeFolders(folder);
        }
        return folder;
    }

    std::unique_ptr<platform::ShortcutObject> CreateShortCut(const std::string& path) override {
        return std::make_unique<PosixShortcut>(path, wine_);
    }

  private:
    const std::string& desktopFolder_;
    bool userDesktop_;
    const WinePaths& wine_;
};

std::string environmentDesktop() {
    PosixEnvironment environment;
    const std::string profile =
        environment.longPathName(environment.variable(kUserProfile), kLongPathBuffer);
    return profile.empty() ? std::string() : desktopFolderIn(profile);
}

}  // namespace

PosixShellFactory::PosixShellFactory(std::string desktopFolder, WinePaths wine)
    : userDesktop_(desktopFolder.empty()),
      desktopFolder_(userDesktop_ ? environmentDesktop() : std::move(desktopFolder)),
      wine_(std::move(wine)) {}

std::unique_ptr<platform::ShellObject> PosixShellFactory::createObject(const std::string& progId) {
    if (strcasecmp(progId.c_str(), kShellProgId) != 0) {
        throw platform::Failure(
            platform::errors::kCannotCreateObject,
            std::string(platform::failures::kCannotCreateObject) + " " + progId);
    }
    return std::make_unique<PosixShell>(desktopFolder_, userDesktop_, wine_);
}

}  // namespace quibrant::posix
