#include "ServicesTestFolder.h"

#include <atomic>
#include <vector>

namespace quibrant::test {

namespace {

using win32::narrow;
using win32::widen;

std::wstring longPathOf(const std::wstring& path) {
    std::vector<wchar_t> buffer(32768);
    const DWORD length =
        GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    return length == 0 || length >= buffer.size() ? path : std::wstring(buffer.data(), length);
}

void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                removeTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

TestFolder::TestFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base = longPathOf(std::wstring(temp, length));
    if (!base.empty() && base.back() == L'\\') {
        base.pop_back();
    }
    for (;;) {
        const std::wstring candidate = base + L"\\Prueba ñá " +
                                       std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(counter++);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            root_ = narrow(candidate);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return;
        }
    }
}

TestFolder::~TestFolder() {
    if (root_.empty()) {
        return;
    }
    // A program a test started may still be running in a folder inside for
    // a moment after it has written its file.
    const std::wstring root = widen(root_);
    for (int attempt = 0; attempt < 50; ++attempt) {
        removeTree(root);
        if (GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) {
            return;
        }
        Sleep(100);
    }
}

std::string TestFolder::operator/(const std::string& name) const {
    std::string path = root_ + "\\" + name;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

std::string TestFolder::makeFolder(const std::string& name) const {
    const std::string path = *this / name;
    for (std::size_t at = root_.size() + 1; at <= path.size(); ++at) {
        if (at == path.size() || path[at] == '\\') {
            CreateDirectoryW(widen(path.substr(0, at)).c_str(), nullptr);
        }
    }
    return path;
}

std::string TestFolder::write(const std::string& name, const std::string& bytes,
                              DWORD attributes) const {
    const std::string path = *this / name;
    const std::size_t slash = path.rfind('\\');
    if (slash > root_.size()) {
        makeFolder(path.substr(root_.size() + 1, slash - root_.size() - 1));
    }
    const HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    SetFileAttributesW(widen(path).c_str(), attributes);
    return path;
}

std::string readFile(const std::string& path) {
    const HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "";
    }
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
}

bool exists(const std::string& path) {
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

DWORD attributesOf(const std::string& path) {
    return GetFileAttributesW(widen(path).c_str());
}

bool waitForFile(const std::string& path) {
    for (int i = 0; i < 600; ++i) {
        if (exists(path)) {
            return true;
        }
        Sleep(50);
    }
    return false;
}

std::string currentFolder() {
    wchar_t buffer[32768];
    const DWORD length = GetCurrentDirectoryW(32768, buffer);
    return narrow(longPathOf(std::wstring(buffer, length)));
}

std::string shortPathOf(const std::string& path) {
    wchar_t buffer[32768];
    const DWORD length = GetShortPathNameW(widen(path).c_str(), buffer, 32768);
    return length == 0 || length >= 32768 ? "" : narrow(std::wstring(buffer, length));
}

char absentDriveLetter() {
    const DWORD drives = GetLogicalDrives();
    for (int letter = 'Z' - 'A'; letter >= 'C' - 'A'; --letter) {
        if ((drives & (1u << letter)) == 0) {
            return static_cast<char>('A' + letter);
        }
    }
    return '\0';
}

ScopedEnvironment::~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
        SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
    }
}

void ScopedEnvironment::set(const std::string& name, const std::string& value) {
    save(widen(name));
    SetEnvironmentVariableW(widen(name).c_str(), widen(value).c_str());
}

void ScopedEnvironment::unset(const std::string& name) {
    save(widen(name));
    SetEnvironmentVariableW(widen(name).c_str(), nullptr);
}

void ScopedEnvironment::save(const std::wstring& name) {
    if (saved_.count(name) != 0) {
        return;
    }
    wchar_t buffer[32768];
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(name.c_str(), buffer, 32768);
    const bool wasSet = length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    saved_[name] =
        wasSet ? std::optional<std::wstring>(std::wstring(buffer, length)) : std::nullopt;
}

ScopedCurrentFolder::ScopedCurrentFolder() {
    wchar_t buffer[32768];
    folder_.assign(buffer, GetCurrentDirectoryW(32768, buffer));
}

ScopedCurrentFolder::~ScopedCurrentFolder() {
    SetCurrentDirectoryW(folder_.c_str());
}

}  // namespace quibrant::test
