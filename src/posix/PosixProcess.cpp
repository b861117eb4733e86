#include "posix/PosixProcess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "posix/PosixFailure.h"

namespace quibrant::posix {

namespace {

constexpr std::int32_t kDeviceUnavailable = 68;
constexpr const char* kNoDrive = "La unidad no está disponible";
constexpr const char* kCannotEnterFolder = "No se pudo entrar en la carpeta";
constexpr const char* kNoProgram = "No se indicó ningún programa";
constexpr const char* kCannotStart = "No se pudo iniciar el programa";
constexpr const char* kWine = "wine";
constexpr const char* kWindowsInstallerTool = "msiexec";
constexpr const char* kInstallOption = "/i";

bool endsWithIgnoringCase(const std::string& text, const char* suffix) {
    const std::size_t length = std::strlen(suffix);
    return text.size() >= length && strcasecmp(text.c_str() + text.size() - length, suffix) == 0;
}

// The full path of an executable file of that name on the PATH, or "".
std::string findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        std::string candidate = folders.substr(start, end - start);
        candidate = (candidate.empty() ? "." : candidate) + "/" + name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return "";
}

// Writes the whole value, retrying after signals; used between fork and exec,
// where only async-signal-safe calls may run.
void reportError(int fd, int error) {
    const char* data = reinterpret_cast<const char*>(&error);
    std::size_t left = sizeof error;
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

}  // namespace

PosixProcess::PosixProcess(WinePaths wine) : wine_(std::move(wine)) {}

void PosixProcess::changeDrive(char letter) {
    if (letter == '\\') {
        throw platform::Failure(kDeviceUnavailable, std::string(kNoDrive) + ": " + letter);
    }
}

void PosixProcess::changeDirectory(const std::string& folder) {
    if (folder.empty() || ::chdir(wine_.toLinux(folder).c_str()) != 0) {
        throw systemFailure(folder.empty() ? ENOENT : errno, kCannotEnterFolder, folder);
    }
}

void PosixProcess::startProgram(const std::string& commandLine) {
    if (commandLine.empty()) {
        throw platform::Failure(platform::errors::kFileNotFound, kNoProgram);
    }
    // The name is looked up in the current folder only, never on the PATH.
    std::string program = wine_.toLinux(commandLine);
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

    std::vector<std::string> args;
    const std::string wine =
        endsWithIgnoringCase(program, ".exe") || endsWithIgnoringCase(program, ".msi")
            ? findOnPath(kWine)
            : "";
    if (!wine.empty()) {
        args.push_back(wine);
        if (endsWithIgnoringCase(program, ".msi")) {
            args.push_back(kWindowsInstallerTool);
            args.push_back(kInstallOption);
        }
    }
    args.push_back(program);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    // The exec's outcome comes back through a pipe closed on a successful exec.
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        throw systemFailure(errno, kCannotStart, commandLine);
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        throw systemFailure(error, kCannotStart, commandLine);
    }
    if (child == 0) {
        // The program runs in a session of its own, as a grandchild that no
        // one waits for, so it goes on after this program ends.
        ::close(pipeEnds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            reportError(pipeEnds[1], errno);
            ::_exit(1);
        }
        if (grandchild > 0) {
            ::_exit(0);
        }
        ::execv(argv[0], argv.data());
        reportError(pipeEnds[1], errno);
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(pipeEnds[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(pipeEnds[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        throw systemFailure(error, kCannotStart, commandLine);
    }
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
