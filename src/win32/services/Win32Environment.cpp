#include "win32/services/Win32Environment.h"

#include <windows.h>

#include <climits>
#include <vector>

#include "win32/services/Utf16.h"
#include "win32/services/Win32Handles.h"

namespace quibrant::win32 {

namespace {

constexpr const wchar_t* kDesktopFolderName = L"Desktop";

}  // namespace

std::string environmentVariable(const std::string& name) {
    const std::wstring wideName = widen(name);
    if (wideName.empty()) {
        return "";
    }
    // The value may grow between the two calls; ask again until it fits.
    std::vector<wchar_t> buffer(256);
    for (;;) {
        const DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(),
                                                     static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return "";
        }
        if (length < buffer.size()) {
            return narrow(std::wstring_view(buffer.data(), length));
        }
        buffer.resize(length);
    }
}

std::string Win32Environment::variable(const std::string& name) {
    return environmentVariable(name);
}

std::string Win32Environment::longPathName(const std::string& path, std::size_t bufferSize) {
    const std::wstring shortPath = widen(path);
    if (shortPath.empty() || bufferSize == 0 || bufferSize > INT_MAX) {
        return "";
    }
    // The buffer has exactly the size the caller names: a long form that
    // does not fit with its NUL is no answer at all, never a cut one.
    std::vector<wchar_t> buffer(bufferSize, L'\0');
    DWORD length = 0;
    {
        QuietDriveErrors quiet;
        length =
            GetLongPathNameW(shortPath.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    }
    if (length == 0 || length >= buffer.size()) {
        return "";
    }
    return narrow(std::wstring_view(buffer.data(), length));
}

std::string Win32Environment::desktopFolderOf(const std::string& profile) {
    // A profile given with its final separator (a drive root such as "C:\")
    // gets no second one.
    std::wstring folder = widen(profile);
    if (folder.empty() || (folder.back() != L'\\' && folder.back() != L'/')) {
        folder += L'\\';
    }
    return narrow(folder + kDesktopFolderName);
}

}  // namespace quibrant::win32
