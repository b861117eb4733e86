#include "app/WindowHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/FormTexts.h"
#include "support/FormFixture.h"
#include "support/NativePath.h"

namespace quibrant::test {
namespace {

constexpr platform::Color kYellow = 0x00FFFF;
constexpr platform::Color kWhite = 0xFFFFFF;

std::string codeOfCategory(float category) {
    for (const auto& entry : builtInAccessCodeTable()) {
        if (entry.category == category) {
            return std::string(entry.code);
        }
    }
    return "";
}

// A text box that logs its colour changes: "Text4+" yellow, "Text4-" white,
// which is what the focus handlers do.
class LoggedBox : public FakeTextBox {
  public:
    LoggedBox(std::string name, std::vector<std::string>& log)
        : name_(std::move(name)), log_(log) {}
    void setBackColor(platform::Color color) override {
        FakeTextBox::setBackColor(color);
        log_.push_back(name_ + (color == kYellow ? "+" : "-"));
    }

  private:
    std::string name_;
    std::vector<std::string>& log_;
};

class WindowHostTest : public ::testing::Test {
  protected:
    FormFixture f;
    std::unique_ptr<WindowHost> host;

    void SetUp() override {
        f.environment.addFolder(native("/tmp"));
        f.environment.addFolder(native("/home/user1"));
        f.environment.variables = {{"temp", native("/tmp")},
                                   {"userprofile", native("/home/user1")}};
        f.fs().driveRoot = native("/home/user1/.wine/dosdevices/c:/");
    }
    WindowHost& start(const Controls& controls) {
        host = std::make_unique<WindowHost>(controls, f.services());
        host->activate();
        return *host;
    }
    WindowHost& start() { return start(f.controls()); }
    FormState& state() { return DownloadFormTestAccess::state(host->form()); }
    bool executed() const {
        const auto& calls = f.Inet1.calls;
        return std::find(calls.begin(), calls.end(), "Execute GET") != calls.end();
    }
    // The user types an accepted code and asks for the download only.
    void requestDownload() {
        host->focusGained("Text4");
        f.Text4.setText(codeOfCategory(3));
        host->focusLost("Text4", true);
        host->click("Command2");
    }
};

TEST_F(WindowHostTest, AFailureNoHandlerTrapsIsShownAndTheWindowStays) {
    // The transfer component refuses its settings when the window becomes
    // active; the user is told and the window stays usable.
    struct RefusingTransfer : FakeInternetTransfer {
        void setRemoteHost(const std::string&) override {
            throw platform::Failure(35750, "No se pudo preparar la conexión.");
        }
    } refusing;
    Controls controls = f.controls();
    controls.Inet1 = &refusing;
    start(controls);
    host->activate();  // only the first activation counts
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, "No se pudo preparar la conexión.");
    EXPECT_EQ(f.messages.shown[0].title, "");
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Critical);
    host->click("Picture2_0");
    EXPECT_NE(f.Text2.text().find("Quibrant6_Setup.exe"), std::string::npos);
}

TEST_F(WindowHostTest, OnlyFocusChangesWithinTheWindowReachTheForm) {
    struct Step {
        const char* box;
        bool gained;
        bool withinWindow;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        std::vector<std::string> handlers;
    };
    const std::vector<Case> cases = {
        {"moving on loses the old box first, even when the toolkit reports it late",
         {{"Text4", true, true},
          {"Text4", false, true},
          {"Text2", true, true},
          {"Text1", true, true}},
         {"Text4+", "Text4-", "Text2+", "Text2-", "Text1+"}},
        {"focus back on the same box is no change",
         {{"Text3", true, true}, {"Text3", true, true}},
         {"Text3+"}},
        {"a message box or another program taking the focus is no change",
         {{"Text2", true, true}, {"Text2", false, false}, {"Text2", true, true}},
         {"Text2+"}},
        {"the loss of a box the form does not see focused is ignored",
         {{"Text2", true, true},
          {"Text4", false, true},
          {"Text4", true, true},
          {"Text2", false, true}},
         {"Text2+", "Text2-", "Text4+"}},
        {"controls other than the boxes",
         {{"Command1", true, true}, {"Command1", false, true}},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FormFixture g;
        std::vector<std::string> log;
        LoggedBox Text1("Text1", log), Text2("Text2", log), Text3("Text3", log),
            Text4("Text4", log);
        Controls controls = g.controls();
        controls.Text1 = &Text1;
        controls.Text2 = &Text2;
        controls.Text3 = &Text3;
        controls.Text4 = &Text4;
        WindowHost h(controls, g.services());
        log.clear();
        for (const Step& step : c.steps) {
            if (step.gained) {
                h.focusGained(step.box);
            } else {
                h.focusLost(step.box, step.withinWindow);
            }
        }
        EXPECT_EQ(log, c.handlers);
    }
}

TEST_F(WindowHostTest, EachControlClickedRunsItsHandler) {
    start();
    host->click("Command1");
    EXPECT_EQ(state().InstallAfterDownload, kTrue);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, texts::kCodeRequired);
    host->click("Command2");
    EXPECT_EQ(state().InstallAfterDownload, kFalse);

    // A click selects the option the toolkit may not select itself, and the
    // server setup runs again.
    const std::size_t calls = f.Inet1.calls.size();
    host->click("Option1_0");
    EXPECT_TRUE(f.Option1_0.value());
    EXPECT_FALSE(f.Option1_1.value());
    EXPECT_EQ(f.Inet1.calls.size(), calls + 3);

    host->click("Label1_0");
    host->click("Frame2");
    EXPECT_EQ(f.messages.shown.size(), 2u);
}

TEST_F(WindowHostTest, EnterBecomesTabAndOtherCharactersPass) {
    start();
    EXPECT_EQ(host->keyPress(13), 0u);
    EXPECT_EQ(f.window.tabsSent, 1);
    EXPECT_EQ(host->keyPress('a'), std::uint32_t{'a'});
    // Beyond the form's 16-bit key codes: passed on untouched, never read as
    // an Enter by its low bits.
    EXPECT_EQ(host->keyPress(0x1000D), 0x1000Du);
    EXPECT_EQ(f.window.tabsSent, 1);
}

TEST_F(WindowHostTest, TheWatchdogEndsAnUnansweredDownload) {
    start();
    // A tick of the stopped timer, already queued, is not one.
    f.clock.now += 60;
    host->tick();
    EXPECT_TRUE(f.messages.shown.empty());

    requestDownload();
    ASSERT_TRUE(executed());
    ASSERT_TRUE(f.Timer1.isEnabled());
    host->tick();
    EXPECT_TRUE(f.messages.shown.empty());
    f.clock.now += 11;
    EXPECT_THROW(host->tick(), ProgramEnded);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].title, "ERROR TIME OUT");
    EXPECT_GE(f.Inet1.cancels, 1);
}

TEST_F(WindowHostTest, ARefusedAnswerGivesTheWindowBack) {
    start();
    requestDownload();
    EXPECT_TRUE(f.Frame1.isVisible());
    EXPECT_FALSE(f.Frame2.isEnabled());
    f.Inet1.status = 404;
    f.Inet1.raise(platform::InternetTransfer::kResponseCompleted);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_FALSE(f.Frame1.isVisible());
    EXPECT_TRUE(f.Frame2.isEnabled());
    EXPECT_FALSE(f.Timer1.isEnabled());
    EXPECT_FALSE(f.Text3.isVisible());
}

TEST_F(WindowHostTest, NothingReachesTheFormOnceTheWindowCloses) {
    start();
    host->close();
    host->click("Command1");
    host->close();
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_EQ(f.Inet1.cancels, 1);
}

TEST_F(WindowHostTest, PadlockFollowsTheMaskNotThePicture) {
    start();
    host->click("Picture1_0");     // code shown, open padlock
    f.Text4.setPasswordChar("*");  // masked again behind the pictures' back
    host->click("Picture1_1");
    EXPECT_EQ(f.Text4.passwordChar(), "");
    EXPECT_TRUE(f.Picture1_1.isVisible());
}

TEST_F(WindowHostTest, FolderPictureCyclesTempDesktopInstallFolders) {
    start();
    const std::string expected[] = {
        native("/tmp/Quibrant6_Setup.exe"),
        native("/home/user1/Desktop/Quibrant6_Setup.exe"),
        native("/home/user1/.wine/dosdevices/c:/Quibrant6_Setup.exe"),
        native("/tmp/Quibrant6_Setup.exe"),
    };
    for (const std::string& text : expected) {
        host->click("Picture2_0");
        EXPECT_EQ(f.Text2.text(), text);
    }
    EXPECT_EQ(state().FolderChoice, 1.0f);
    EXPECT_EQ(state().DownloadFolder, native("/tmp/"));
}

TEST_F(WindowHostTest, FolderPictureReplacesAnEditedPathAndIgnoresOtherIndexes) {
    start();
    f.Text2.setText(native("/somewhere/else.exe"));
    host->form().Picture2_Click(1);
    EXPECT_EQ(f.Text2.text(), native("/somewhere/else.exe"));
    EXPECT_EQ(state().FolderChoice, 3.0f);
    host->click("Picture2_0");
    EXPECT_EQ(f.Text2.text(), native("/tmp/Quibrant6_Setup.exe"));
}

TEST_F(WindowHostTest, ServerSetupRunsAgainWithTheSameValuesInTheSameOrder) {
    start();
    const std::vector<std::string> expected = {
        "RemoteHost=ftp.quibrant.es",
        "UserName=quibrant.es",
        "Password=Kqt47Rzw83",
    };
    EXPECT_EQ(f.Inet1.calls, expected);
    host->click("Option1_1");
    EXPECT_EQ(f.Inet1.calls.size(), 6u);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), f.Inet1.calls.begin() + 3));
    EXPECT_EQ(f.Inet1.RemoteHost(), "ftp.quibrant.es");
    EXPECT_EQ(f.Inet1.UserName(), "quibrant.es");
    EXPECT_EQ(f.Inet1.Password(), "Kqt47Rzw83");
}

}  // namespace
}  // namespace quibrant::test
