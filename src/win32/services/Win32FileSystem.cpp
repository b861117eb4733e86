#include "win32/services/Win32FileSystem.h"

#include <windows.h>
// After windows.h, which it needs.
#include <ntsecapi.h>

#include <cstdint>

#include "platform/PartialFileName.h"
#include "platform/ServiceFailures.h"
#include "win32/services/Utf16.h"
#include "win32/services/Win32Environment.h"
#include "win32/services/Win32Failure.h"
#include "win32/services/Win32Files.h"
#include "win32/services/Win32Handles.h"

namespace quibrant::win32 {

using namespace platform::failures;

namespace {

constexpr const char* kSystemDriveVariable = "SystemDrive";
constexpr const char* kDefaultSystemDrive = "C:";

// The attributes of a path, or INVALID_FILE_ATTRIBUTES with the reason in
// GetLastError; never a prompt for a missing disk.
DWORD attributesOf(const std::wstring& path) {
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    QuietDriveErrors quiet;
    return GetFileAttributesW(path.c_str());
}

bool isFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isFile(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

bool Win32FileSystem::FolderExists(const std::string& path) {
    return isFolder(attributesOf(widen(path)));
}

bool Win32FileSystem::FileExists(const std::string& path) {
    return isFile(attributesOf(widen(path)));
}

std::unique_ptr<platform::TextStream> Win32FileSystem::OpenTextFile(const std::string& path) {
    const std::wstring widePath = widen(path);
    const DWORD attributes = attributesOf(widePath);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw systemFailure(GetLastError(), kCannotOpen, path);
    }
    if (!isFile(attributes)) {
        throw notAFile(path);
    }
    // Others may keep the file open for reading or writing (an editor with
    // the ini file open) while the program reads it.
    QuietDriveErrors quiet;
    UniqueHandle file(CreateFileW(widePath.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        throw systemFailure(GetLastError(), kCannotOpen, path);
    }
    return makeTextStream(std::move(file), path);
}

void Win32FileSystem::CreateFolder(const std::string& path) {
    const std::wstring widePath = widen(path);
    QuietDriveErrors quiet;
    if (widePath.empty() || !CreateDirectoryW(widePath.c_str(), nullptr)) {
        throw systemFailure(widePath.empty() ? ERROR_PATH_NOT_FOUND : GetLastError(),
                            kCannotCreateFolder, path);
    }
}

void Win32FileSystem::DeleteFile(const std::string& path, bool force) {
    const std::wstring widePath = widen(path);
    const DWORD attributes = attributesOf(widePath);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw systemFailure(GetLastError(), kCannotDelete, path);
    }
    if (!isFile(attributes)) {
        throw notAFile(path);
    }
    if (!force && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw readOnlyFile(path);
    }
    WritableForNow writable(widePath, attributes);
    if (!writable.clear() || !::DeleteFileW(widePath.c_str())) {
        throw systemFailure(GetLastError(), kCannotDelete, path);
    }
    writable.keep();
}

platform::PartialFile Win32FileSystem::createPartialFile(const std::string& destination) {
    const std::wstring wideDestination = widen(destination);
    if (isFolder(attributesOf(wideDestination))) {
        throw destinationIsFolder(destination);
    }
    if (wideDestination.empty() || wideDestination.back() == L'\\' ||
        wideDestination.back() == L'/') {
        throw systemFailure(ERROR_PATH_NOT_FOUND, kCannotSaveDestination, destination);
    }
    // An older file that another program holds open could not be replaced
    // at the end: the user hears it now, before anything is fetched.
    if (isFile(attributesOf(wideDestination)) && openElsewhere(wideDestination)) {
        throw fileInUse(destination);
    }
    QuietDriveErrors quiet;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < platform::kPartialFileAttempts &&
                          (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
         ++attempt) {
        std::uint64_t random = 0;
        if (!RtlGenRandom(&random, sizeof random)) {
            throw systemFailure(GetLastError(), kCannotSaveDestination, destination);
        }
        std::string path = platform::partialFileName(destination, random);
        // A new file only, never an entry placed there before, and nobody
        // else writes it while it fills.
        UniqueHandle file(
            CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (file.valid()) {
            // Its failures name the file the user asked for. No identity:
            // WinVerifyTrust reads the whole file itself after the download.
            return {makeBinaryFile(std::move(file), destination), std::move(path), ""};
        }
        error = GetLastError();
    }
    throw systemFailure(error, kCannotSaveDestination, destination);
}

void Win32FileSystem::replaceFile(const std::string& from, const std::string& to) {
    const std::wstring source = widen(from);
    const std::wstring destination = widen(to);
    if (source.empty() || destination.empty()) {
        throw systemFailure(ERROR_PATH_NOT_FOUND, kCannotReplace, to);
    }
    if (!isFile(attributesOf(source))) {
        // Checked first so that a missing source never costs the
        // destination its read-only attribute, even for a moment.
        throw systemFailure(ERROR_FILE_NOT_FOUND, kCannotReplace, to);
    }
    const DWORD attributes = attributesOf(destination);
    WritableForNow writable(destination, isFile(attributes) ? attributes : INVALID_FILE_ATTRIBUTES);
    QuietDriveErrors quiet;
    if (!writable.clear() || !MoveFileExW(source.c_str(), destination.c_str(),
                                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw replaceFailure(GetLastError(), to);
    }
    writable.keep();
}

std::string Win32FileSystem::mapPath(const std::string& path) {
    return path;
}

std::string Win32FileSystem::systemDriveRoot() {
    std::string drive = environmentVariable(kSystemDriveVariable);
    if (drive.empty()) {
        drive = kDefaultSystemDrive;
    }
    if (drive.back() != '\\') {
        drive += '\\';
    }
    return drive;
}

std::unique_ptr<platform::FileSystem> Win32FileSystemFactory::createFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

}  // namespace quibrant::win32
