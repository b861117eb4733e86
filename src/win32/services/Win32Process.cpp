#include "win32/services/Win32Process.h"

#include <windows.h>

#include "platform/ServiceFailures.h"
#include "win32/services/Utf16.h"
#include "win32/services/Win32CheckedFile.h"
#include "win32/services/Win32Failure.h"
#include "win32/services/Win32Files.h"
#include "win32/services/Win32Handles.h"

namespace quibrant::win32 {

using namespace platform::failures;

namespace {

constexpr const char* kChangedSinceCheck =
    "El instalador cambió después de comprobar su firma digital: ";

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool isDriveLetter(char letter) {
    return (letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z');
}

// The program `commandLine` names, as a file: resolved against the current
// folder only, so that neither the folder of this program nor the PATH can
// supply another file of the same name, and a name with spaces stays one
// name.
std::wstring programPath(const std::string& commandLine) {
    const std::wstring name = widen(commandLine);
    if (name.empty()) {
        throw noProgram();
    }
    const std::wstring program = fullPathOf(name);
    if (program.empty()) {
        throw systemFailure(GetLastError(), kCannotStart, commandLine);
    }
    return program;
}

void start(const std::wstring& program, const std::string& commandLine) {
    std::wstring arguments = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    BOOL ok = FALSE;
    {
        QuietDriveErrors quiet;
        // An installer that asks for administrator rights is refused here
        // (ERROR_ELEVATION_REQUIRED) instead of prompting: the caller then
        // leaves the user a shortcut to start it from the desktop.
        ok = CreateProcessW(program.c_str(), arguments.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &started);
    }
    if (!ok) {
        throw systemFailure(GetLastError(), kCannotStart, commandLine);
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    // This program ends at once; the installer may bring its window to the
    // front.
    AllowSetForegroundWindow(started.dwProcessId);
}

}  // namespace

void Win32Process::changeDrive(char letter) {
    const std::string drive = std::string(1, letter) + ":";
    // A path that starts with a backslash (a network share) has no drive.
    if (!isDriveLetter(letter)) {
        throw noDrive(drive);
    }
    QuietDriveErrors quiet;
    if (!SetCurrentDirectoryW(widen(drive).c_str())) {
        throw systemFailure(GetLastError(), kNoDrive, drive);
    }
}

void Win32Process::changeDirectory(const std::string& folder) {
    const std::wstring wideFolder = widen(folder);
    QuietDriveErrors quiet;
    if (wideFolder.empty() || !SetCurrentDirectoryW(wideFolder.c_str())) {
        throw systemFailure(wideFolder.empty() ? ERROR_PATH_NOT_FOUND : GetLastError(),
                            kCannotEnterFolder, folder);
    }
}

void Win32Process::startProgram(const std::string& commandLine) {
    start(programPath(commandLine), commandLine);
}

void Win32Process::startChecked(const std::string& commandLine,
                                const platform::CheckedFile& checked) {
    const std::wstring program = programPath(commandLine);
    // The held file cannot be renamed or replaced, but a folder on the way
    // to it can: the name must lead to it still, while it is held through
    // the start. An installer may read itself as it starts: it must not
    // find the file held with the right to delete.
    const auto* held = dynamic_cast<const Win32CheckedFile*>(&checked);
    if (held == nullptr || !held->holdForReadingOnly() || !held->isAt(program)) {
        throw platform::Failure(platform::errors::kFileChangedSinceCheck,
                                kChangedSinceCheck + commandLine);
    }
    start(program, commandLine);
}

std::string Win32Process::listName(const std::string& path, bool includeFolders) {
    const std::wstring widePath = widen(path);
    if (widePath.empty()) {
        return "";
    }
    if (isSeparator(widePath.back())) {
        // A folder written with its final separator lists as its own entry.
        if (!includeFolders) {
            return "";
        }
        QuietDriveErrors quiet;
        const DWORD attributes = GetFileAttributesW(widePath.c_str());
        const bool folder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return folder ? "." : "";
    }
    // A name with wildcards is a pattern, not a file: it names nothing.
    std::size_t nameStart = widePath.size();
    while (nameStart > 0 && !isSeparator(widePath[nameStart - 1])) {
        --nameStart;
    }
    if (widePath.find_first_of(L"*?", nameStart) != std::wstring::npos) {
        return "";
    }

    WIN32_FIND_DATAW entry{};
    QuietDriveErrors quiet;
    const FindHandle search(FindFirstFileExW(widePath.c_str(), FindExInfoBasic, &entry,
                                             FindExSearchNameMatch, nullptr, 0));
    if (!search.valid()) {
        return "";
    }
    const DWORD attributes = entry.dwFileAttributes;
    if ((attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
        return "";
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !includeFolders) {
        return "";
    }
    return narrow(entry.cFileName);
}

void Win32Process::end() {
    ExitProcess(0);
}

}  // namespace quibrant::win32
