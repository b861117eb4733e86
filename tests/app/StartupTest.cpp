#include <gtest/gtest.h>

#include "app/FormTexts.h"
#include "support/FormFixture.h"
#include "support/NativePath.h"

namespace quibrant::test {
namespace {

class StartupTest : public ::testing::Test {
  protected:
    FormFixture f;

    void loadWith(std::map<std::string, std::string> variables) {
        f.environment.variables = std::move(variables);
        f.create();
        f.form->Form_Load();
    }
};

TEST_F(StartupTest, LoadSetsCaptionAndStacksThePadlocks) {
    loadWith({});
    EXPECT_EQ(f.window.caption(), texts::kWindowCaption);
    EXPECT_EQ(f.Picture1_1.left(), f.Picture1_0.left());
    EXPECT_EQ(f.Picture1_1.top(), f.Picture1_0.top());
    EXPECT_EQ(f.state().FolderChoice, 1.0f);
}

TEST_F(StartupTest, TempFolderFromTempGetsItsSeparator) {
    f.environment.addFolder(native("/home/user1/tmp"));
    loadWith({{"TEMP", native("/home/user1/tmp")}});
    EXPECT_EQ(f.state().TempFolder, native("/home/user1/tmp/"));
    EXPECT_EQ(f.state().DownloadFolder, native("/home/user1/tmp/"));
}

TEST_F(StartupTest, TempThatDoesNotExistFallsThroughToTmp) {
    f.environment.addFolder(native("/var/tmp"));
    loadWith({{"temp", native("/no/such/folder")}, {"tmp", native("/var/tmp")}});
    EXPECT_EQ(f.state().TempFolder, native("/var/tmp/"));
}

TEST_F(StartupTest, HomeDriveIsTheLastFallbackAndKeepsAnEndingSeparator) {
    f.environment.addFolder(native("/"));
    loadWith({{"HOMEDRIVE", native("/")}});
    EXPECT_EQ(f.state().TempFolder, native("/"));
}

TEST_F(StartupTest, NothingSetGivesTheBareSeparator) {
    loadWith({});
    EXPECT_EQ(f.state().TempFolder, native("/"));
    EXPECT_EQ(f.state().DownloadFolder, native("/"));
    // Without a profile the desktop is the temporary folder.
    EXPECT_EQ(f.state().DesktopFolder, native("/"));
}

TEST_F(StartupTest, ShortFormIsExpandedToItsLongForm) {
    f.environment.longForms[native("/home/USER~1/tmp")] = native("/home/user1/tmp");
    loadWith({{"temp", native("/home/USER~1/tmp")}});
    EXPECT_EQ(f.state().TempFolder, native("/home/user1/tmp/"));
}

TEST_F(StartupTest, DesktopComesFromTheProfileWhetherOrNotItExists) {
    f.environment.addFolder(native("/tmp"));
    f.environment.addFolder(native("/home/user1"));
    loadWith({{"temp", native("/tmp")}, {"USERPROFILE", native("/home/user1")}});
    EXPECT_EQ(f.state().DesktopFolder, native("/home/user1/Desktop/"));
}

TEST_F(StartupTest, ProfileThatDoesNotExistFallsBackToTempFolder) {
    f.environment.addFolder(native("/tmp"));
    loadWith({{"temp", native("/tmp")}, {"userprofile", native("/home/nobody")}});
    EXPECT_EQ(f.state().DesktopFolder, native("/tmp/"));
}

TEST_F(StartupTest, GetDirTempRejectsLongFormsOf255CharactersOrMore) {
    const std::string fits = native("/") + std::string(253, 'a');     // 254 characters and the NUL
    const std::string tooLong = native("/") + std::string(254, 'b');  // 255 characters
    f.environment.addFolder(fits);
    f.environment.addFolder(tooLong);
    f.environment.variables = {{"FITS", fits}, {"LONG", tooLong}};
    DownloadForm& form = f.create();
    EXPECT_EQ(form.GetDirTemp("fits"), fits);
    EXPECT_EQ(form.GetDirTemp("long"), "");
    EXPECT_EQ(form.GetDirTemp("unset"), "");
}

TEST_F(StartupTest, ActivationPutsTheDefaultsInPlace) {
    f.environment.addFolder(native("/tmp"));
    f.environment.variables = {{"temp", native("/tmp")}};
    f.fs().driveRoot = native("/home/user1/");
    f.Text1.setText("design time");
    f.start();

    EXPECT_TRUE(f.Option1_1.value());
    EXPECT_FALSE(f.Option1_0.value());
    EXPECT_EQ(f.state().ServerBaseUrl, f.form->server().MainServerBaseUrl);
    EXPECT_EQ(f.state().SourceUrl, f.form->server().MainServerBaseUrl);
    EXPECT_EQ(f.Text3.text(), f.form->server().MainServerBaseUrl);
    EXPECT_EQ(f.Text2.text(), native("/home/user1/Quibrant_Setup.exe"));
    EXPECT_EQ(f.state().FolderChoice, 3.0f);
    EXPECT_EQ(f.state().DownloadFolder, native("/tmp/"));
    EXPECT_EQ(f.Text1.text(), "");
}

}  // namespace
}  // namespace quibrant::test
