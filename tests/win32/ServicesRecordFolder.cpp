// A stand-in installer for the process tests: writes the folder it was started
// in, and the command line it was given, to "carpeta.txt" in that folder
// (UTF-8, one per line), then exits. The file appears whole or not at all.
#include <windows.h>

#include <string>

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty()) {
        return "";
    }
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

}  // namespace

int wmain() {
    wchar_t folder[32768];
    const DWORD length = GetCurrentDirectoryW(32768, folder);
    const std::string record =
        utf8(std::wstring(folder, length)) + "\n" + utf8(GetCommandLineW()) + "\n";
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
