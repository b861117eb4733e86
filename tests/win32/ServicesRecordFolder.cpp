// A stand-in installer for the process tests: writes the folder it was started
// in, and the command line it was given, to "carpeta.txt" in that folder
// (UTF-8, one per line), then exits. The file appears whole or not at all.
#include <windows.h>

#include <string>

#include "win32/services/Utf16.h"

int wmain() {
    wchar_t folder[32768];
    const DWORD length = GetCurrentDirectoryW(32768, folder);
    const std::string record = quibrant::win32::narrow(std::wstring(folder, length)) + "\n" +
                               quibrant::win32::narrow(GetCommandLineW()) + "\n";
    const HANDLE file = CreateFileW(L"carpeta.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    return ok && MoveFileW(L"carpeta.tmp", L"carpeta.txt") ? 0 : 1;
}
