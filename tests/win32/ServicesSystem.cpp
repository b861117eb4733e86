#include "ServicesSystem.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cctype>

namespace quibrant::test {

namespace {

using win32::narrow;
using win32::widen;

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

std::string recorderPath() {
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    const std::string path = narrow(std::wstring(buffer, length));
    return path.substr(0, path.rfind('\\') + 1) + kRecorderName;
}

std::unique_ptr<platform::ShellObject> ShellWithDesktopAt::createObject(const std::string& progId) {
    return std::make_unique<ShellObjectWithDesktopAt>(shells_.createObject(progId), desktop_);
}

LinkContents readShellLink(const std::string& path) {
    LinkContents contents;
    win32::ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.putVoid()))) {
        return contents;
    }
    win32::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.putVoid())) ||
        FAILED(file->Load(widen(path).c_str(), STGM_READ))) {
        return contents;
    }
    contents.loaded = true;
    wchar_t text[INFOTIPSIZE] = {};
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) {
        contents.target = narrow(text);
    }
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

std::string WindowsSystem::makeHiddenFolder(const std::string& folder, const std::string& name) {
    const std::string path = t.makeFolder(folder + "/" + name);
    SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_HIDDEN);
    return path;
}

std::string WindowsSystem::installer(const std::string& folder) {
    const std::string path = t.makeFolder(folder) + "\\Instalar Quibrant ñ.exe";
    EXPECT_TRUE(CopyFileW(widen(recorderPath()).c_str(), widen(path).c_str(), FALSE));
    return path;
}

std::string WindowsSystem::recordedFolder(const std::string& folder) {
    const std::string record = t / (folder + "/carpeta.txt");
    if (!waitForFile(record)) {
        return "";
    }
    const std::string text = readFile(record);
    return text.substr(0, text.find('\n'));
}

}  // namespace quibrant::test
