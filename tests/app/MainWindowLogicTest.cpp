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

TEST_F(MainWindowLogicTest, EnterBecomesTabAndIsDiscarded) {
    std::int16_t key = 13;
    f.form->Form_KeyPress(key);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(f.window.tabsSent, 1);

    std::int16_t letter = 'a';
    f.form->Form_KeyPress(letter);
    EXPECT_EQ(letter, 'a');
    EXPECT_EQ(f.window.tabsSent, 1);
}

TEST_F(MainWindowLogicTest, TextBoxesAreYellowWithFocusAndWhiteAfter) {
    FakeTextBox* boxes[] = {&f.Text1, &f.Text2, &f.Text3, &f.Text4};
    f.form->Text1_GotFocus();
    f.form->Text2_GotFocus();
    f.form->Text3_GotFocus();
    f.form->Text4_GotFocus();
    for (FakeTextBox* box : boxes) {
        EXPECT_EQ(box->backColor(), 0x00FFFFu);
    }
    f.form->Text1_LostFocus();
    f.form->Text2_LostFocus();
    f.form->Text3_LostFocus();
    f.form->Text4_LostFocus();
    for (FakeTextBox* box : boxes) {
        EXPECT_EQ(box->backColor(), 0xFFFFFFu);
    }
}

TEST_F(MainWindowLogicTest, PadlockFlipsTheMaskAndReturnsTheFocus) {
    f.form->Picture1_Click(0);
    EXPECT_EQ(f.Text4.passwordChar(), "");
    EXPECT_TRUE(f.Picture1_1.isVisible());
    EXPECT_FALSE(f.Picture1_0.isVisible());
    EXPECT_EQ(f.Text4.focusRequests, 1);

    f.form->Picture1_Click(1);
    EXPECT_EQ(f.Text4.passwordChar(), "*");
    EXPECT_TRUE(f.Picture1_0.isVisible());
    EXPECT_FALSE(f.Picture1_1.isVisible());
    EXPECT_EQ(f.Text4.focusRequests, 2);
}

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

TEST_F(MainWindowLogicTest, DownloadButtonsChooseWhatHappensAfterTheDownload) {
    f.form->Command1_Click();
    EXPECT_EQ(f.state().InstallAfterDownload, kTrue);
    f.form->Command2_Click();
    EXPECT_EQ(f.state().InstallAfterDownload, kFalse);
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
