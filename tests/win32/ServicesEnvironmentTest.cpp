#include <gtest/gtest.h>

#include "ServicesTestFolder.h"
#include "support/FormFixture.h"
#include "win32/Win32Environment.h"

namespace quibrant::test {
namespace {

constexpr std::size_t kBuffer = 255;

TEST(Win32EnvironmentTest, VariablesAreFoundWhateverTheCaseOfTheirName) {
    win32::Win32Environment environment;
    ScopedVariable set("Quibrant_Prueba", "C:\\Carpeta ñ\\Año");
    EXPECT_EQ(environment.variable("QUIBRANT_PRUEBA"), "C:\\Carpeta ñ\\Año");
    EXPECT_EQ(environment.variable("quibrant_prueba"), "C:\\Carpeta ñ\\Año");

    const std::string longValue(3000, 'x');
    ScopedVariable large("QUIBRANT_LARGA", longValue.c_str());
    EXPECT_EQ(environment.variable("quibrant_larga"), longValue);

    ScopedVariable unset("QUIBRANT_NINGUNA", nullptr);
    EXPECT_EQ(environment.variable("QUIBRANT_NINGUNA"), "");
    EXPECT_EQ(environment.variable(""), "");
}

TEST(Win32EnvironmentTest, ShortNamesExpandToTheLongForm) {
    TestFolder t;
    win32::Win32Environment environment;
    const std::string folder = t.makeFolder("Carpeta de nombre largo ñ");
    const std::string file = t.write("Carpeta de nombre largo ñ/Instalador de prueba.exe", "MZ");
    const std::string shortFolder = shortPathOf(folder);
    ASSERT_FALSE(shortFolder.empty());
    ASSERT_NE(shortFolder, folder);
    EXPECT_EQ(environment.longPathName(shortFolder, kBuffer), folder);
    EXPECT_EQ(environment.longPathName(shortPathOf(file), kBuffer), file);
    // A final separator stays; the form adds none then.
    EXPECT_EQ(environment.longPathName(shortFolder + "\\", kBuffer), folder + "\\");
    EXPECT_EQ(environment.longPathName(t / "no existe", kBuffer), "");
    EXPECT_EQ(environment.longPathName("", kBuffer), "");
}

TEST(Win32EnvironmentTest, LongFormMustFitTheBufferWithItsNul) {
    TestFolder t;
    win32::Win32Environment environment;
    const std::string folder = t.makeFolder("límite");
    // Files whose full paths are 254 and 255 characters long (all of them
    // single UTF-16 units).
    const std::size_t prefix = win32::widen(folder).size() + 1;
    ASSERT_LT(prefix, 200u);
    const std::string fits = t.write("límite/" + std::string(254 - prefix, 'a'), "x");
    const std::string tooLong = t.write("límite/" + std::string(255 - prefix, 'b'), "x");
    ASSERT_TRUE(exists(fits));
    ASSERT_TRUE(exists(tooLong));
    EXPECT_EQ(environment.longPathName(fits, kBuffer), fits);
    EXPECT_EQ(environment.longPathName(tooLong, kBuffer), "");
    EXPECT_EQ(environment.longPathName(tooLong, kBuffer + 1), tooLong);
}

TEST(Win32EnvironmentTest, DesktopFolderIsInsideTheProfile) {
    win32::Win32Environment environment;
    EXPECT_EQ(environment.desktopFolderOf("C:\\Users\\ana"), "C:\\Users\\ana\\Desktop");
    EXPECT_EQ(environment.desktopFolderOf("D:\\"), "D:\\Desktop");
}

// The form's start-up on the real environment: short names in the variables,
// the fallbacks, and the desktop inside the profile.
class StartUpOnWindowsTest : public ::testing::Test {
  protected:
    TestFolder t;
    win32::Win32Environment environment;
    FormFixture f;

    FormState& load() {
        Services services = f.services();
        services.environment = &environment;
        f.form = std::make_unique<DownloadForm>(f.controls(), services);
        f.form->Form_Load();
        return f.state();
    }
};

TEST_F(StartUpOnWindowsTest, FoldersComeInTheirLongFormWithAFinalSeparator) {
    const std::string temp = t.makeFolder("Temporal de prueba");
    const std::string profile = t.makeFolder("Perfil de usuario");
    ScopedVariable tempVariable("TEMP", shortPathOf(temp).c_str());
    ScopedVariable profileVariable("USERPROFILE", shortPathOf(profile).c_str());
    const FormState& state = load();
    EXPECT_EQ(state.TempFolder, temp + "\\");
    EXPECT_EQ(state.DownloadFolder, temp + "\\");
    EXPECT_EQ(state.DesktopFolder, profile + "\\Desktop\\");
}

TEST_F(StartUpOnWindowsTest, MissingFoldersFallThroughToTheNextVariable) {
    const std::string tmp = t.makeFolder("tmp");
    ScopedVariable tempVariable("TEMP", (t / "no existe").c_str());
    ScopedVariable tmpVariable("TMP", tmp.c_str());
    ScopedVariable profileVariable("USERPROFILE", (t / "tampoco").c_str());
    const FormState& state = load();
    EXPECT_EQ(state.TempFolder, tmp + "\\");
    EXPECT_EQ(state.DesktopFolder, tmp + "\\");
}

TEST_F(StartUpOnWindowsTest, TheHomeDriveIsTheLastFallback) {
    const std::string drive = t.root().substr(0, 2);
    ScopedVariable tempVariable("TEMP", nullptr);
    ScopedVariable tmpVariable("TMP", nullptr);
    ScopedVariable driveVariable("HOMEDRIVE", drive.c_str());
    EXPECT_EQ(load().TempFolder, drive + "\\");
}

TEST_F(StartUpOnWindowsTest, NothingSetLeavesTheRootOfTheCurrentDrive) {
    ScopedVariable tempVariable("TEMP", nullptr);
    ScopedVariable tmpVariable("TMP", nullptr);
    ScopedVariable driveVariable("HOMEDRIVE", nullptr);
    ScopedVariable profileVariable("USERPROFILE", nullptr);
    const FormState& state = load();
    EXPECT_EQ(state.TempFolder, "\\");
    EXPECT_EQ(state.DesktopFolder, "\\");
}

}  // namespace
}  // namespace quibrant::test
