#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DownloadFixture.h"
#include "app/FormTexts.h"
#include "transfer/Download.h"

namespace quibrant::test {
namespace {

using StartDownloadTest = DownloadFixture;

TEST_F(StartDownloadTest, WithoutAnAcceptedCodeOnlyTheRefusalIsShown) {
    f.state().CodeAccepted = kFalse;
    f.Text4.setPasswordChar("");
    f.fs().files[kDestination].bytes = "older installer";
    const auto inetCalls = f.Inet1.calls;
    const auto fsCalls = f.fs().calls;
    const std::string sourceUrl = f.state().SourceUrl;

    f.form->Command1_Click();

    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, texts::kCodeRequired);
    EXPECT_EQ(f.messages.shown[0].title, texts::kCodeRequiredTitle);
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(f.Text4.passwordChar(), "");
    EXPECT_TRUE(f.Frame2.isEnabled());
    EXPECT_FALSE(f.Frame1.isVisible());
    EXPECT_FALSE(f.Timer1.isEnabled());
    EXPECT_EQ(f.state().RequestStartTime, 0.0f);
    EXPECT_EQ(f.state().SourceUrl, sourceUrl);
    EXPECT_EQ(f.Inet1.calls, inetCalls);
    EXPECT_EQ(f.fs().calls, fsCalls);
    EXPECT_TRUE(f.taskbar.shown.empty());
}

TEST_F(StartDownloadTest, IssuesTheRequestAndLeavesAnOlderInstallerInPlace) {
    f.Text4.setPasswordChar("");
    f.fs().files[kDestination] = {"older installer", true, false};
    f.clock.now = 1234.25;
    f.Inet1.calls.clear();

    f.form->Command2_Click();

    EXPECT_EQ(f.Text4.passwordChar(), "*");
    EXPECT_FALSE(f.Frame2.isEnabled());
    EXPECT_TRUE(f.Frame1.isVisible());
    EXPECT_TRUE(f.Timer1.isEnabled());
    EXPECT_EQ(f.state().RequestStartTime, 1234.25f);
    EXPECT_EQ(
        f.Inet1.calls,
        (std::vector<std::string>{
            "Setting14=0", "URL=https://descargas.quibrant.es/Quibrant_Setup.exe", "Execute GET"}));
    EXPECT_EQ(f.fs().files[kDestination].bytes, "older installer");
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST_F(StartDownloadTest, ComposesTheAddressFromTheFileAndFolderBoxes) {
    struct Case {
        std::string file;
        std::string folder;
        std::string sourceUrl;
        std::string sent;
    };
    const Case cases[] = {
        {"a.exe", "https://h/clientes/actual/", "https://h/clientes/actual/a.exe",
         "https://h/clientes/actual/a.exe"},
        // A folder without its final "/" is joined as it is.
        {"a.exe", "https://h/clientes", "https://h/clientesa.exe", "https://h/clientesa.exe"},
        {"", "https://h/clientes/", "https://h/clientes/", "https://h/clientes/"},
        {"http://otro/a.exe", "https://h/", "http://otro/a.exe", "http://otro/a.exe"},
        {"hTTpS://otro/a.exe", "https://h/", "hTTpS://otro/a.exe", "hTTpS://otro/a.exe"},
        {"otro.wWw.es/a.exe", "https://h/", "otro.wWw.es/a.exe", "otro.wWw.es/a.exe"},
        {"htt", "https://h/", "https://h/htt", "https://h/htt"},
        // Surrounding spaces stay in the form's address, not in the one sent.
        {"  www.otro.es/a.exe ", "https://h/", "  www.otro.es/a.exe ", "www.otro.es/a.exe"},
        // A space before "http" defeats the test.
        {" http://otro/a.exe", " https://h/", " https://h/ http://otro/a.exe",
         "https://h/ http://otro/a.exe"},
    };
    for (const Case& c : cases) {
        f.Text1.setText(c.file);
        f.Text3.setText(c.folder);
        f.form->Command1_Click();
        EXPECT_EQ(f.state().SourceUrl, c.sourceUrl) << c.file;
        EXPECT_EQ(f.Inet1.URL(), c.sent) << c.file;
    }
}

struct StartFailure {
    const char* name;
    std::function<void(FormFixture&)> arrange;
    std::string description;
};

class StartFailureTest : public DownloadFixture,
                         public ::testing::WithParamInterface<StartFailure> {};

// Told on the click, before anything is fetched, with the window given back
// and nothing left on disk.
TEST_P(StartFailureTest, GivesTheWindowBackAtOnce) {
    f.fs().files[kDestination].bytes = "older installer";
    GetParam().arrange(f);
    f.messages.whileOpen = [&] {
        EXPECT_EQ(f.taskbar.shown,
                  (std::vector<platform::TaskbarProgress>{{platform::TaskbarState::Error, 1000}}));
    };
    f.form->Command1_Click();

    EXPECT_EQ(f.taskbar.now(), platform::TaskbarProgress{});
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, GetParam().description);
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(f.Frame2.isEnabled());
    EXPECT_FALSE(f.Frame1.isVisible());
    EXPECT_FALSE(f.Timer1.isEnabled());
    EXPECT_FALSE(partialFileLeft());
    EXPECT_EQ(f.fs().files[kDestination].bytes, "older installer");
    const auto& calls = f.Inet1.calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Execute GET"), f.Inet1.failExecute ? 1 : 0);
}

const StartFailure kStartFailures[] = {
    {"RequestNotIssued", [](FormFixture& f) { f.Inet1.failExecute = true; },
     FakeInternetTransfer::notSent().description()},
    {"NoDestination", [](FormFixture& f) { f.Text2.setText(""); }, transfer::kNoDestination},
    {"FolderNotWritable", [](FormFixture& f) { f.fs().failing.insert("/home/user"); },
     FakeFileSystem::denied("/home/user").description()},
};

INSTANTIATE_TEST_SUITE_P(Start, StartFailureTest, ::testing::ValuesIn(kStartFailures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quibrant::test
