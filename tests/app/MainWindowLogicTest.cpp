#include <gtest/gtest.h>

#include "support/FormFixture.h"
#include "support/NativePath.h"

namespace quibrant::test {
namespace {

class MainWindowLogicTest : public ::testing::Test {
  protected:
    FormFixture f;

    void SetUp() override {
        f.environment.addFolder(native("/tmp"));
        f.environment.addFolder(native("/home/user1"));
        f.environment.variables = {{"temp", native("/tmp")},
                                   {"userprofile", native("/home/user1")}};
        f.fs().driveRoot = native("/home/user1/.wine/dosdevices/c:/");
        f.start();
    }
};

TEST_F(MainWindowLogicTest, PadlockFollowsTheMaskNotThePicture) {
    f.form->Picture1_Click(0);     // code shown, open padlock
    f.Text4.setPasswordChar("*");  // masked again behind the pictures' back
    f.form->Picture1_Click(1);
    EXPECT_EQ(f.Text4.passwordChar(), "");
    EXPECT_TRUE(f.Picture1_1.isVisible());
}

TEST_F(MainWindowLogicTest, FolderPictureCyclesTempDesktopInstallFolders) {
    const std::string expected[] = {
        native("/tmp/Quibrant6_Setup.exe"),
        native("/home/user1/Desktop/Quibrant6_Setup.exe"),
        native("/home/user1/.wine/dosdevices/c:/Quibrant6_Setup.exe"),
        native("/tmp/Quibrant6_Setup.exe"),
    };
    for (const std::string& text : expected) {
        f.form->Picture2_Click(0);
        EXPECT_EQ(f.Text2.text(), text);
    }
    EXPECT_EQ(f.state().FolderChoice, 1.0f);
    EXPECT_EQ(f.state().DownloadFolder, native("/tmp/"));
}

TEST_F(MainWindowLogicTest, FolderPictureReplacesAnEditedPathAndIgnoresOtherIndexes) {
    f.Text2.setText(native("/somewhere/else.exe"));
    f.form->Picture2_Click(1);
    EXPECT_EQ(f.Text2.text(), native("/somewhere/else.exe"));
    EXPECT_EQ(f.state().FolderChoice, 3.0f);
    f.form->Picture2_Click(0);
    EXPECT_EQ(f.Text2.text(), native("/tmp/Quibrant6_Setup.exe"));
}

TEST_F(MainWindowLogicTest, ServerSetupRunsAgainWithTheSameValuesInTheSameOrder) {
    const std::vector<std::string> expected = {
        "RemoteHost=ftp.quibrant.es",
        "UserName=quibrant.es",
        "Password=Kqt47Rzw83",
    };
    EXPECT_EQ(f.Inet1.calls, expected);
    f.form->Option1_Click(1);
    EXPECT_EQ(f.Inet1.calls.size(), 6u);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), f.Inet1.calls.begin() + 3));
    EXPECT_EQ(f.Inet1.RemoteHost(), "ftp.quibrant.es");
    EXPECT_EQ(f.Inet1.UserName(), "quibrant.es");
    EXPECT_EQ(f.Inet1.Password(), "Kqt47Rzw83");
}

}  // namespace
}  // namespace quibrant::test
