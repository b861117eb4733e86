#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Environment.h"
#include "platform/Paths.h"
#include "support/FormFixture.h"

namespace quibrant::test {

// What every environment service does, the fake included.
template <typename S>
class EnvironmentContract : public ::testing::Test {
  protected:
    S s;
};

TYPED_TEST_SUITE_P(EnvironmentContract);

TYPED_TEST_P(EnvironmentContract, VariablesAreFoundWhateverTheCaseOfTheirName) {
    auto& s = this->s;
    s.variables.set("Quibrant_Prueba", "C:\\Carpeta ñ\\Año");
    EXPECT_EQ(s.environment.variable("QUIBRANT_PRUEBA"), "C:\\Carpeta ñ\\Año");
    EXPECT_EQ(s.environment.variable("quibrant_prueba"), "C:\\Carpeta ñ\\Año");

    const std::string longValue(3000, 'x');
    s.variables.set("QUIBRANT_LARGA", longValue);
    EXPECT_EQ(s.environment.variable("quibrant_larga"), longValue);

    s.variables.unset("QUIBRANT_NINGUNA");
    EXPECT_EQ(s.environment.variable("QUIBRANT_NINGUNA"), "");
    EXPECT_EQ(s.environment.variable(""), "");
}

TYPED_TEST_P(EnvironmentContract, TheDesktopIsAFolderInsideTheProfile) {
    const std::string profile = this->s.path("ana");
    EXPECT_EQ(this->s.environment.desktopFolderOf(profile), profile + platform::kSep + "Desktop");
}

REGISTER_TYPED_TEST_SUITE_P(EnvironmentContract, VariablesAreFoundWhateverTheCaseOfTheirName,
                            TheDesktopIsAFolderInsideTheProfile);

// What the real environments do besides, and how the form's start-up uses
// them.
template <typename S>
class SystemEnvironmentContract : public EnvironmentContract<S> {
  protected:
    FormFixture f;

    FormState& load() {
        Services services = f.services();
        services.environment = &this->s.environment;
        f.form = std::make_unique<DownloadForm>(f.controls(), services);
        f.form->Form_Load();
        return f.state();
    }
};

TYPED_TEST_SUITE_P(SystemEnvironmentContract);

TYPED_TEST_P(SystemEnvironmentContract, LongFormIsThatOfAnExistingPathThatFitsTheBuffer) {
    auto& s = this->s;
    s.makeFolder("Carpeta de nombre largo ñ/dentro");
    const std::string folder = s.path("Carpeta de nombre largo ñ/dentro");
    const std::string other = s.otherSpelling("Carpeta de nombre largo ñ/dentro");
    ASSERT_NE(other, folder);
    EXPECT_EQ(s.environment.longPathName(other, 255), folder);
    EXPECT_EQ(s.environment.longPathName(s.path("no existe"), 255), "");
    EXPECT_EQ(s.environment.longPathName("", 255), "");
    // The buffer must hold the long form and its NUL, or there is no answer.
    const std::size_t length = s.characters(folder);
    EXPECT_EQ(s.environment.longPathName(folder, length + 1), folder);
    EXPECT_EQ(s.environment.longPathName(folder, length), "");
}

TYPED_TEST_P(SystemEnvironmentContract, AProfileWithItsFinalSeparatorGetsNoSecondOne) {
    const std::string profile = this->s.path("ana") + platform::kSep;
    EXPECT_EQ(this->s.environment.desktopFolderOf(profile), profile + "Desktop");
}

TYPED_TEST_P(SystemEnvironmentContract, StartUpTakesItsFoldersFromTheEnvironment) {
    auto& s = this->s;
    s.makeFolder("Temporal de prueba");
    s.makeFolder("Perfil de usuario");
    // Written another way, they still reach the form in their long form.
    s.variables.set(s.kTemporaryVariable, s.otherSpelling("Temporal de prueba"));
    s.variables.set("USERPROFILE", s.otherSpelling("Perfil de usuario"));
    const FormState& state = this->load();
    const std::string temp = s.path("Temporal de prueba") + platform::kSep;
    EXPECT_EQ(state.TempFolder, temp);
    EXPECT_EQ(state.DownloadFolder, temp);
    EXPECT_EQ(state.DesktopFolder,
              s.path("Perfil de usuario") + platform::kSep + "Desktop" + platform::kSep);
}

TYPED_TEST_P(SystemEnvironmentContract, StartUpPassesOverFoldersThatDoNotExist) {
    auto& s = this->s;
    const std::string fallback = s.secondTemporaryFolder();
    s.variables.set(s.kTemporaryVariable, s.path("no existe"));
    s.variables.set("USERPROFILE", s.path("tampoco"));
    const FormState& state = this->load();
    EXPECT_EQ(state.TempFolder, fallback + platform::kSep);
    EXPECT_EQ(state.DesktopFolder, state.TempFolder);
}

REGISTER_TYPED_TEST_SUITE_P(SystemEnvironmentContract,
                            LongFormIsThatOfAnExistingPathThatFitsTheBuffer,
                            AProfileWithItsFinalSeparatorGetsNoSecondOne,
                            StartUpTakesItsFoldersFromTheEnvironment,
                            StartUpPassesOverFoldersThatDoNotExist);

}  // namespace quibrant::test
