#include "ServicesSystem.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <vector>

#include "win32/services/Win32Handles.h"

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
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored)) {
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(folder, ignored);
}

std::string recorderPath() {
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    const std::string path = narrow(std::wstring(buffer, length));
    return path.substr(0, path.rfind('\\') + 1) + kRecorderName;
}

class ShellObjectWithDesktopAt : public platform::ShellObject {
  public:
    ShellObjectWithDesktopAt(std::unique_ptr<platform::ShellObject> shell,
                             const std::string& desktop)
        : shell_(std::move(shell)), desktop_(desktop) {}

    std::string SpecialFolders(const std::string& name) override {
        std::string lower = name;
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return lower == "desktop" ? desktop_ : shell_->SpecialFolders(name);
    }
    std::unique_ptr<platform::ShortcutObject> CreateShortCut(const std::string& path) override {
        return shell_->CreateShortCut(path);
    }

  private:
    std::unique_ptr<platform::ShellObject> shell_;
    const std::string& desktop_;
};

}  // namespace

std::string readFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(widen(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

DWORD attributesOf(const std::string& path) {
    return GetFileAttributesW(widen(path).c_str());
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

std::optional<std::string> WindowsVariables::get(const std::string& name) {
    wchar_t buffer[32768];
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(widen(name).c_str(), buffer, 32768);
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        return std::nullopt;
    }
    return narrow(std::wstring(buffer, length));
}

void WindowsVariables::put(const std::string& name, const std::optional<std::string>& value) {
    SetEnvironmentVariableW(widen(name).c_str(), value ? widen(*value).c_str() : nullptr);
}

std::unique_ptr<platform::ShellObject> ShellWithDesktopAt::createObject(const std::string& progId) {
    return std::make_unique<ShellObjectWithDesktopAt>(shells_.createObject(progId), desktop_);
}

std::string WindowsSystem::makeRoot() {
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
            return narrow(candidate);
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "no test folder";
            return "";
        }
    }
}

WindowsSystem::~WindowsSystem() {
    SetCurrentDirectoryW(widen(startFolder).c_str());
    // A program a test started may still be running in a folder inside for
    // a moment after it has written its file.
    const std::wstring folder = widen(root);
    for (int attempt = 0; attempt < 50 && !folder.empty(); ++attempt) {
        removeTree(folder);
        if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
            return;
        }
        Sleep(100);
    }
}

std::string WindowsSystem::operator/(const std::string& relative) const {
    std::string path = root + "\\" + relative;
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    return path;
}

std::string WindowsSystem::makeFolder(const std::string& relative) const {
    std::error_code ignored;
    std::filesystem::create_directories(widen(path(relative)), ignored);
    return path(relative);
}

std::string WindowsSystem::write(const std::string& relative, const std::string& bytes,
                                 DWORD attributes) const {
    const std::filesystem::path file(widen(path(relative)));
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    {
        const win32::UniqueHandle handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr,
                                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                     nullptr));
        DWORD written = 0;
        WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    SetFileAttributesW(file.c_str(), attributes);
    return path(relative);
}

std::vector<std::string> WindowsSystem::entries(const std::string& relative) const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(widen(path(relative)), ignored)) {
        names.push_back(narrow(entry.path().filename().wstring()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string WindowsSystem::makeHiddenFolder(const std::string& folder, const std::string& name) {
    const std::string full = makeFolder(folder + "/" + name);
    SetFileAttributesW(widen(full).c_str(), FILE_ATTRIBUTE_HIDDEN);
    return full;
}

std::string WindowsSystem::installer(const std::string& folder) {
    const std::string program = makeFolder(folder) + "\\Instalar Quibrant ñ.exe";
    EXPECT_TRUE(CopyFileW(widen(recorderPath()).c_str(), widen(program).c_str(), FALSE));
    return program;
}

std::string WindowsSystem::recordedFolder(const std::string& folder) {
    const std::string record = path(folder + "/carpeta.txt");
    for (int i = 0; i < 600 && attributesOf(record) == INVALID_FILE_ATTRIBUTES; ++i) {
        Sleep(50);
    }
    const std::string text = readFile(record);
    return text.substr(0, text.find('\n'));
}

LinkContents WindowsSystem::readLink(const std::string& path) {
    LinkContents contents;
    win32::ComPtr<IShellLinkW> link;
    win32::ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.putVoid())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.putVoid())) ||
        FAILED(file->Load(widen(path).c_str(), STGM_READ))) {
        return contents;
    }
    contents.loaded = true;
    wchar_t text[INFOTIPSIZE] = {};
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) {
        contents.target = narrow(text);
    }
    // A getter that has nothing to say may leave the buffer as it was.
    text[0] = L'\0';
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) {
        contents.workingDirectory = narrow(text);
    }
    text[0] = L'\0';
    if (SUCCEEDED(link->GetArguments(text, INFOTIPSIZE))) {
        contents.arguments = narrow(text);
    }
    text[0] = L'\0';
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &contents.iconIndex))) {
        contents.iconPath = narrow(text);
    }
    return contents;
}

}  // namespace quibrant::test
