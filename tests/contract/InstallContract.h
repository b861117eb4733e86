#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/FormTexts.h"
#include "contract/System.h"
#include "install/Shortcut.h"
#include "platform/Paths.h"
#include "support/FormFixture.h"

namespace quibrant::test {

// The form's install operations on a system's real services: discovery of
// an installation, the installer's start and the desktop shortcut.
template <typename S>
class InstallContract : public ::testing::Test {
  protected:
    S s;
    FormFixture f;

    void SetUp() override {
        Services services = f.services();
        s.wire(services);
        f.form = std::make_unique<DownloadForm>(f.controls(), services);
    }

    static std::string desktopLink() {
        return std::string("Escritorio/") + install::kDesktopShortcutName + ".lnk";
    }

    void runInstaller(const std::string& destination) {
        f.Text2.setText(destination);
        EXPECT_THROW(DownloadFormTestAccess::RunInstaller(*f.form), ProgramEnded);
    }
};

TYPED_TEST_SUITE_P(InstallContract);

TYPED_TEST_P(InstallContract, NothingInstalledLeavesTheSystemDrive) {
    const std::string root = this->s.systemDriveRoot();
    DownloadFormTestAccess::FindExistingInstallation(*this->f.form);
    EXPECT_EQ(this->f.state().InstallFolder, root);
}

TYPED_TEST_P(InstallContract, TheInstallerStartsInItsOwnFolderAndTheProgramEndsQuietly) {
    auto& s = this->s;
    this->runInstaller(s.installer("Mis descargas"));
    EXPECT_EQ(s.recordedFolder("Mis descargas"), s.folderAsSeen("Mis descargas"));
    EXPECT_TRUE(this->f.messages.shown.empty());
    EXPECT_FALSE(s.exists(this->desktopLink()));
}

TYPED_TEST_P(InstallContract, AFileThatDoesNotStartGetsTheNoticeAndThenADesktopShortcut) {
    auto& s = this->s;
    auto& f = this->f;
    s.write("Mis descargas/notas.txt", "no es un programa");
    bool linkAtNotice = true;
    f.messages.whileOpen = [&] { linkAtNotice = s.exists(this->desktopLink()); };
    this->runInstaller(s.path("Mis descargas/notas.txt"));
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, texts::kElevationNotice);
    EXPECT_EQ(f.messages.shown[0].title, texts::kElevationNoticeTitle);
    EXPECT_FALSE(linkAtNotice);
    EXPECT_EQ(s.readLink(s.path(this->desktopLink())).target,
              s.windowsPath(s.path("Mis descargas/notas.txt")));
}

TYPED_TEST_P(InstallContract, NothingToStartGetsTheNoticeAndThenTheShortcutsError) {
    auto& s = this->s;
    auto& f = this->f;
    s.makeFolder("vacia");
    s.process.changeDirectory(s.path("vacia"));
    for (const std::string& destination :
         {s.path("dl/no_existe.exe"), s.path("vacia") + platform::kSep, std::string(),
          std::string("Quibrant_Setup.exe")}) {
        SCOPED_TRACE("[" + destination + "]");
        f.messages.shown.clear();
        this->runInstaller(destination);
        ASSERT_EQ(f.messages.shown.size(), 2u);
        EXPECT_EQ(f.messages.shown[0].text, texts::kElevationNotice);
        EXPECT_EQ(f.messages.shown[1].text, install::shortcutFailureMessage(52));
    }
    EXPECT_FALSE(s.exists(this->desktopLink()));
}

TYPED_TEST_P(InstallContract, TheDesktopShortcutPointsAtTheInstallerFromItsFolder) {
    auto& s = this->s;
    s.write("dl/Quibrant_Setup.exe", "MZ");
    const std::string installer = s.path("dl/Quibrant_Setup.exe");
    DownloadFormTestAccess::CreateDesktopShortcut(*this->f.form, installer);
    EXPECT_TRUE(this->f.messages.shown.empty());
    const LinkContents link = s.readLink(s.path(this->desktopLink()));
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.target, s.windowsPath(installer));
    EXPECT_EQ(link.workingDirectory, s.windowsPath(s.path("dl") + platform::kSep));
    EXPECT_EQ(link.iconPath, s.windowsPath(installer));
    EXPECT_EQ(link.iconIndex, 0);
    EXPECT_EQ(link.arguments, "");
}

TYPED_TEST_P(InstallContract, AShortcutIntoAFolderNeedsTheFolderAndAVisibleTarget) {
    auto& s = this->s;
    auto& form = *this->f.form;
    s.write("dl/Quibrant_Setup.exe", "MZ");
    s.makeFolder("enlaces");
    const std::string installer = s.path("dl/Quibrant_Setup.exe");
    const std::string hidden = s.writeHidden("dl", "oculto.exe");
    EXPECT_EQ(form.CreateShortCut("Enlace", installer, s.path("enlaces")), -1);
    EXPECT_EQ(s.readLink(s.path("enlaces/Enlace.lnk")).target, s.windowsPath(installer));

    EXPECT_EQ(form.CreateShortCut("Enlace", installer, s.path("no_existe")), 52);
    EXPECT_EQ(form.CreateShortCut("Otro", s.path("dl/no_existe.exe"), s.path("enlaces")), 52);
    EXPECT_EQ(form.CreateShortCut("Otro", hidden, "Desktop"), 52);
    EXPECT_FALSE(s.exists("enlaces/Otro.lnk"));
    EXPECT_FALSE(s.exists("Escritorio/Otro.lnk"));
}

TYPED_TEST_P(InstallContract, ADesktopThatCannotBeWrittenGivesTheFailuresNumber) {
    auto& s = this->s;
    auto& f = this->f;
    s.write("dl/Quibrant_Setup.exe", "MZ");
    s.removeDesktop();
    DownloadFormTestAccess::CreateDesktopShortcut(*f.form, s.path("dl/Quibrant_Setup.exe"));
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, install::shortcutFailureMessage(76));
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::None);
}

REGISTER_TYPED_TEST_SUITE_P(InstallContract, NothingInstalledLeavesTheSystemDrive,
                            TheInstallerStartsInItsOwnFolderAndTheProgramEndsQuietly,
                            AFileThatDoesNotStartGetsTheNoticeAndThenADesktopShortcut,
                            NothingToStartGetsTheNoticeAndThenTheShortcutsError,
                            TheDesktopShortcutPointsAtTheInstallerFromItsFolder,
                            AShortcutIntoAFolderNeedsTheFolderAndAVisibleTarget,
                            ADesktopThatCannotBeWrittenGivesTheFailuresNumber);

}  // namespace quibrant::test
