#include "posix/PosixProcess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/ServiceFailures.h"
#include "posix/PosixCheckedFile.h"
#include "posix/PosixEnvironment.h"
#include "posix/PosixFailure.h"
#include "posix/PosixHandles.h"

namespace quibrant::posix {

using namespace platform::failures;

namespace {

constexpr const char* kWine = "wine";
constexpr const char* kReplaced = "El instalador cambió después de comprobar su firma digital: ";
constexpr const char* kPrivateCopyPattern = "/instalador-XXXXXX";
constexpr const char* kWindowsInstallerTool = "msiexec";
constexpr const char* kInstallOption = "/i";
constexpr const char* kNoWine =
    "No se puede iniciar el instalador: es un programa de Windows, y en este equipo no está "
    "instalado wine, que hace falta para ejecutarlo. Instale el paquete \"wine\" (por ejemplo, "
    "con \"sudo apt install wine\") y vuelva a iniciar la instalación.";

bool endsWithIgnoringCase(const std::string& text, const char* suffix) {
    const std::size_t length = std::strlen(suffix);
    return text.size() >= length && strcasecmp(text.c_str() + text.size() - length, suffix) == 0;
}

// The full path of an executable file of that name on the PATH, or "". Only
// absolute folders count: an empty or relative entry would name the current
// folder, the installer's, where anyone who could place the installer could
// place a program of that name too.
std::string findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        std::string candidate = folders.substr(start, end - start);
        start = end + 1;
        if (candidate.empty() || candidate.front() != '/') {
            continue;
        }
        candidate += "/" + name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return "";
}

// The file a command line names. It is looked up in the current folder only,
// never on the PATH, so no other file of the same name can stand in for it.
std::string programFile(const WinePaths& wine, const std::string& commandLine) {
    std::string program = wine.toLinux(commandLine);
    if (program.find('/') == std::string::npos) {
        program = "./" + program;
    }
    struct stat info {};
    if (::stat(program.c_str(), &info) != 0) {
        throw fileFailure(errno, kCannotStart, commandLine);
    }
    if (!S_ISREG(info.st_mode)) {
        throw systemFailure(EACCES, kCannotStart, commandLine);
    }
    return program;
}

// What to execute for a program file: a Windows program goes to wine, an
// installer package through wine's installer tool. Without wine on the PATH
// a Windows program cannot start, and the user is told what to install.
std::vector<std::string> commandFor(const std::string& program) {
    const bool package = endsWithIgnoringCase(program, ".msi");
    std::vector<std::string> command;
    if (package || endsWithIgnoringCase(program, ".exe")) {
        std::string wine = findOnPath(kWine);
        if (wine.empty()) {
            throw platform::Failure(platform::errors::kProgramKindUnsupported, kNoWine);
        }
        command.push_back(std::move(wine));
        if (package) {
            command.push_back(kWindowsInstallerTool);
            command.push_back(kInstallOption);
        }
    }
    command.push_back(program);
    return command;
}

// In the child of fork: runs the program in a session of its own, as a
// grandchild that no one waits for, so that it goes on after this program
// ends. An exec that fails reports its error through `report`. Only calls
// that are safe between fork and exec run here.
[[noreturn]] void execDetached(char* const argv[], const Descriptor& report) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild < 0) {
        const int error = errno;
        writeAll(report.get(), &error, sizeof error);
        ::_exit(1);
    }
    if (grandchild > 0) {
        ::_exit(0);
    }
    ::execv(argv[0], argv);
    const int error = errno;
    writeAll(report.get(), &error, sizeof error);
    ::_exit(127);
}

// Starts the command without waiting for it and returns once it runs. The
// exec's outcome comes back through a pipe that a successful exec closes.
void startDetached(std::vector<std::string> command, const std::string& commandLine) {
    std::vector<char*> argv;
    for (std::string& argument : command) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw systemFailure(errno, kCannotStart, commandLine);
    }
    Descriptor outcome(ends[0]);
    Descriptor report(ends[1]);
    const pid_t child = ::fork();
    if (child < 0) {
        throw systemFailure(errno, kCannotStart, commandLine);
    }
    if (child == 0) {
        execDetached(argv.data(), report);
    }
    report.reset();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(outcome.get(), &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof error)) {
        const platform::Failure failure = systemFailure(error, kCannotStart, commandLine);
        if (error == ENOEXEC) {
            throw platform::Failure(platform::errors::kNotAProgram, failure.description());
        }
        throw failure;
    }
}

// Whether someone other than the user (and root) could change `path` or put
// another file in its place: a file others may write, or a file or folder on
// the way to it that belongs to another user, or a folder that others may
// write and that is not sticky.
bool othersCanReplace(const std::string& path) {
    std::string folder = canonicalPath(path);
    const uid_t user = geteuid();
    struct stat file {};
    if (folder.empty() || ::stat(folder.c_str(), &file) != 0 ||
        (file.st_uid != user && file.st_uid != 0) || (file.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return true;
    }
    while (folder.size() > 1) {
        folder.erase(folder.find_last_of('/'));
        if (folder.empty()) {
            folder = "/";
        }
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0) {
            return true;
        }
        const bool foreign = info.st_uid != user && info.st_uid != 0;
        const bool shared = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 &&
                            (info.st_mode & S_ISVTX) == 0;
        if (foreign || shared) {
            return true;
        }
    }
    return false;
}

// A copy of the checked file in a new folder that only the user can open,
// under the same name.
std::string privateCopy(const PosixCheckedFile& checked, const std::string& program,
                        const std::string& commandLine) {
    std::string folder = userTemporaryFolder();
    if (folder.empty()) {
        throw systemFailure(EACCES, kCannotStart, commandLine);
    }
    folder += kPrivateCopyPattern;
    if (::mkdtemp(folder.data()) == nullptr) {
        throw systemFailure(errno, kCannotStart, commandLine);
    }
    const std::string copy = folder + program.substr(program.find_last_of('/'));
    checked.copyTo(copy);
    return copy;
}

}  // namespace

PosixProcess::PosixProcess(WinePaths wine) : wine_(std::move(wine)) {}

void PosixProcess::changeDrive(char letter) {
    if (letter == '\\') {
        throw noDrive(std::string(1, letter) + ":");
    }
}

void PosixProcess::changeDirectory(const std::string& folder) {
    if (folder.empty() || ::chdir(wine_.toLinux(folder).c_str()) != 0) {
        throw systemFailure(folder.empty() ? ENOENT : errno, kCannotEnterFolder, folder);
    }
}

void PosixProcess::startProgram(const std::string& commandLine) {
    if (commandLine.empty()) {
        throw noProgram();
    }
    startDetached(commandFor(programFile(wine_, commandLine)), commandLine);
}

void PosixProcess::startChecked(const std::string& commandLine,
                                const platform::CheckedFile& checked) {
    if (commandLine.empty()) {
        throw noProgram();
    }
    const auto* file = dynamic_cast<const PosixCheckedFile*>(&checked);
    std::string program = programFile(wine_, commandLine);
    if (file == nullptr || !file->isAt(program)) {
        throw platform::Failure(platform::errors::kFileChangedSinceCheck, kReplaced + commandLine);
    }
    if (othersCanReplace(program)) {
        program = privateCopy(*file, program, commandLine);
    }
    startDetached(commandFor(program), commandLine);
}

std::string PosixProcess::listName(const std::string& path, bool includeFolders) {
    std::string local = wine_.toLinux(path);
    struct stat info {};
    if (local.empty() || ::stat(local.c_str(), &info) != 0) {
        return "";
    }
    const bool listed = S_ISREG(info.st_mode) || (includeFolders && S_ISDIR(info.st_mode));
    if (!listed) {
        return "";
    }
    while (local.size() > 1 && local.back() == '/') {
        local.pop_back();
    }
    const std::string name = local.substr(local.find_last_of('/') + 1);
    // A folder written with its final separator lists as its own entry ".".
    if (name.empty() || path.back() == '/' || path.back() == '\\') {
        return includeFolders ? "." : "";
    }
    return name.front() == '.' ? "" : name;
}

void PosixProcess::end() {
    std::_Exit(0);
}

}  // namespace quibrant::posix
