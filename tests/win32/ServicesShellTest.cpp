#include <gtest/gtest.h>
#include <shlobj.h>

#include "ServicesTestFolder.h"
#include "platform/Failure.h"
#include "support/FailureNumber.h"
#include "support/FormFixture.h"
#include "win32/Win32Handles.h"
#include "win32/Win32Process.h"
#include "win32/Win32Shell.h"

namespace quibrant::test {
namespace {

using win32::narrow;
using win32::widen;

constexpr const char* kLinkName = "Instalar Actualización Quibrant 6";

// What a shell link file holds, read back through the shell's own reader.
struct LinkContents {
    bool loaded = false;
    std::string target;
    std::string workingDirectory;
    std::string arguments;
    std::string description;
    std::string iconPath;
    int iconIndex = -1;
};

LinkContents readLink(const std::string& path) {
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
    if (SUCCEEDED(link->GetDescription(text, INFOTIPSIZE))) {
        contents.description = narrow(text);
    }
    text[0] = L'\0';
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &contents.iconIndex))) {
        contents.iconPath = narrow(text);
    }
    return contents;
}

class Win32ShellTest : public ::testing::Test {
  protected:
    win32::Win32ShellFactory shells;
    TestFolder t;
};

TEST_F(Win32ShellTest, SpecialFoldersKnowsTheDesktopAndNothingElseByThatName) {
    auto shell = shells.createObject("WScript.Shell");
    const std::string desktop = shell->SpecialFolders("Desktop");
    EXPECT_FALSE(desktop.empty());
    EXPECT_NE(desktop.back(), '\\');
    EXPECT_EQ(shell->SpecialFolders("desktop"), desktop);
    EXPECT_EQ(shell->SpecialFolders("NoEsUnaCarpeta"), "");
    EXPECT_EQ(shell->SpecialFolders(t.root()), "");
}

TEST_F(Win32ShellTest, SavedShortcutHoldsWhatWasSet) {
    const std::string target = t.write("dl/Quibrant_Setup.exe", "MZ");
    auto shell = shells.createObject("wscript.shell");
    const std::string linkPath = t / (std::string(kLinkName) + ".lnk");
    auto shortcut = shell->CreateShortCut(linkPath);
    shortcut->setProperty("TargetPath", target);
    shortcut->setProperty("IconLocation", target + ", 0");
    // Member names are looked up without regard to case.
    shortcut->setProperty("WORKINGDIRECTORY", t / "dl\\");
    shortcut->setProperty("arguments", "/S /D=C:\\Quibrant");
    shortcut->setProperty("Description", "Instalación de prueba ñ");
    EXPECT_FALSE(exists(linkPath));
    shortcut->Save();

    const LinkContents link = readLink(linkPath);
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.target, target);
    EXPECT_EQ(link.workingDirectory, t / "dl\\");
    EXPECT_EQ(link.arguments, "/S /D=C:\\Quibrant");
    EXPECT_EQ(link.description, "Instalación de prueba ñ");
    EXPECT_EQ(link.iconPath, target);
    EXPECT_EQ(link.iconIndex, 0);
}

TEST_F(Win32ShellTest, FailuresOfTheObjectsAreNumberedFailures) {
    EXPECT_EQ(failureNumber([&] { shells.createObject("Quibrant.NoExiste"); }), 429);
    failureNumber([&] { shells.createObject(""); });

    auto shell = shells.createObject("WScript.Shell");
    auto shortcut = shell->CreateShortCut(t / "falta/Acceso.lnk");
    EXPECT_EQ(failureNumber([&] { shortcut->setProperty("NoEsUnaPropiedad", "x"); }), 438);
    shortcut->setProperty("TargetPath", t.write("a.exe", "MZ"));
    failureNumber([&] { shortcut->Save(); });
    EXPECT_FALSE(exists(t / "falta"));
}

// The form's shortcut operation on the real shell object and listing.
class ShortcutOnWindowsTest : public Win32ShellTest {
  protected:
    FormFixture f;
    win32::Win32Process process;

    void SetUp() override {
        Services services = f.services();
        services.shells = &shells;
        services.process = &process;
        f.form = std::make_unique<DownloadForm>(f.controls(), services);
    }
};

TEST_F(ShortcutOnWindowsTest, ShortcutIntoAFolderTargetsTheInstallerFromItsFolder) {
    const std::string target = t.write("Descargas/Quibrant_Setup.exe", "MZ");
    const std::string links = t.makeFolder("Accesos");
    EXPECT_EQ(f.form->CreateShortCut(kLinkName, target, links, ""), -1);
    const LinkContents link = readLink(links + "\\" + kLinkName + ".lnk");
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.target, target);
    EXPECT_EQ(link.workingDirectory, t / "Descargas\\");
    EXPECT_EQ(link.iconPath, target);
    EXPECT_EQ(link.iconIndex, 0);
    EXPECT_EQ(link.arguments, "");
}

TEST_F(ShortcutOnWindowsTest, MissingTargetOrFolderGivesNumber52AndNoFile) {
    const std::string target = t.write("Descargas/Quibrant_Setup.exe", "MZ");
    const std::string hidden = t.write("Descargas/oculto.exe", "MZ", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(f.form->CreateShortCut(kLinkName, t / "Descargas/no.exe", t.root(), ""), 52);
    EXPECT_EQ(f.form->CreateShortCut(kLinkName, hidden, t.root(), ""), 52);
    EXPECT_EQ(f.form->CreateShortCut(kLinkName, target, t / "NoExiste", ""), 52);
    EXPECT_FALSE(exists(t / (std::string(kLinkName) + ".lnk")));
    EXPECT_FALSE(exists(t / ("NoExiste\\" + std::string(kLinkName) + ".lnk")));
}

}  // namespace
}  // namespace quibrant::test
