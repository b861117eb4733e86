#pragma once

#include <gtest/gtest.h>

#include <string>

#include "contract/System.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "support/FailureNumber.h"

namespace quibrant::test {

// What every shell factory does, the fake included.
template <typename S>
class ShellContract : public ::testing::Test {
  protected:
    S s;
};

TYPED_TEST_SUITE_P(ShellContract);

TYPED_TEST_P(ShellContract, TheShellIsCreatedByItsNameInAnyCaseAndNothingElse) {
    auto& shells = this->s.shells;
    EXPECT_NE(shells.createObject("WScript.Shell"), nullptr);
    EXPECT_NE(shells.createObject("wscript.shell"), nullptr);
    EXPECT_EQ(failureNumber([&] { shells.createObject("Quibrant.NoExiste"); }),
              platform::errors::kCannotCreateObject);
    failureNumber([&] { shells.createObject(""); });
}

TYPED_TEST_P(ShellContract, SpecialFoldersKnowsTheDesktopInAnyCaseAndNothingElse) {
    auto shell = this->s.shells.createObject("WScript.Shell");
    const std::string desktop = shell->SpecialFolders("Desktop");
    ASSERT_FALSE(desktop.empty());
    // The caller adds the separator itself.
    EXPECT_NE(desktop.back(), platform::kSep);
    EXPECT_EQ(shell->SpecialFolders("DESKTOP"), desktop);
    EXPECT_EQ(shell->SpecialFolders("desktop"), desktop);
    EXPECT_EQ(shell->SpecialFolders("NoEsUnaCarpeta"), "");
    EXPECT_EQ(shell->SpecialFolders(""), "");
}

REGISTER_TYPED_TEST_SUITE_P(ShellContract, TheShellIsCreatedByItsNameInAnyCaseAndNothingElse,
                            SpecialFoldersKnowsTheDesktopInAnyCaseAndNothingElse);

// What the systems' shortcuts do: they are real files.
template <typename S>
class ShortcutContract : public ShellContract<S> {};

TYPED_TEST_SUITE_P(ShortcutContract);

TYPED_TEST_P(ShortcutContract, ASavedShortcutHoldsWhatWasSet) {
    auto& s = this->s;
    s.write("dl/Quibrant_Setup.exe", "MZ");
    const std::string target = s.path("dl/Quibrant_Setup.exe");
    const std::string folder = s.path("dl") + platform::kSep;
    auto shortcut = s.shells.createObject("WScript.Shell")->CreateShortCut(s.path("a.lnk"));
    // Property names are matched without regard to case.
    shortcut->setProperty("TargetPath", target);
    shortcut->setProperty("IconLocation", target + ", 0");
    shortcut->setProperty("WORKINGDIRECTORY", folder);
    shortcut->setProperty("arguments", "/S /D=C:\\Quibrant");
    EXPECT_FALSE(s.exists("a.lnk"));
    shortcut->Save();

    const LinkContents link = s.readLink(s.path("a.lnk"));
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.target, s.windowsPath(target));
    EXPECT_EQ(link.workingDirectory, s.windowsPath(folder));
    EXPECT_EQ(link.arguments, "/S /D=C:\\Quibrant");
    EXPECT_EQ(link.iconPath, s.windowsPath(target));
    EXPECT_EQ(link.iconIndex, 0);
}

TYPED_TEST_P(ShortcutContract, FailuresOfAShortcutAreNumberedAndLeaveNothing) {
    auto& s = this->s;
    s.write("a.exe", "MZ");
    auto shortcut =
        s.shells.createObject("WScript.Shell")->CreateShortCut(s.path("falta/Acceso.lnk"));
    EXPECT_EQ(failureNumber([&] { shortcut->setProperty("NoEsUnaPropiedad", "x"); }),
              platform::errors::kNoSuchPropertyOrMethod);
    shortcut->setProperty("TargetPath", s.path("a.exe"));
    failureNumber([&] { shortcut->Save(); });
    EXPECT_FALSE(s.exists("falta"));
}

REGISTER_TYPED_TEST_SUITE_P(ShortcutContract, ASavedShortcutHoldsWhatWasSet,
                            FailuresOfAShortcutAreNumberedAndLeaveNothing);

}  // namespace quibrant::test
