#include <gtest/gtest.h>

#include "app/FormTexts.h"
#include "install/InstallTestPaths.h"
#include "install/Shortcut.h"
#include "support/FormFixture.h"

namespace quibrant::test {
namespace {

using platform::kSep;

class LaunchTest : public ::testing::Test {
  protected:
    FormFixture f;
    const std::string folder = joinPath({"c:", "Descargas", ""});
    const std::string installer = joinPath({"c:", "Descargas", "Quibrant_Setup.exe"});
    // What the process had been asked when the notice came up.
    std::vector<std::string> callsAtNotice;

    void SetUp() override {
        f.create();
        f.shells.specialFolders["Desktop"] = joinPath({"", "home", "user", "Desktop"});
        f.messages.whileOpen = [this] {
            if (callsAtNotice.empty()) {
                callsAtNotice = f.process.calls;
            }
        };
    }

    void run(const std::string& destination) {
        f.Text2.setText(destination);
        EXPECT_THROW(DownloadFormTestAccess::RunInstaller(*f.form), ProgramEnded);
        EXPECT_TRUE(f.process.ended);
    }

    void expectFallback(const std::string& destination) {
        ASSERT_FALSE(f.messages.shown.empty());
        EXPECT_EQ(f.messages.shown[0].text, texts::kElevationNotice);
        EXPECT_EQ(f.messages.shown[0].title, texts::kElevationNoticeTitle);
        EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Information);
        // The notice comes first: no shortcut had been attempted by then.
        for (const std::string& call : callsAtNotice) {
            EXPECT_EQ(call.rfind("listName", 0), std::string::npos) << call;
        }
        const auto& calls = f.process.calls;
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - 2].rfind("listName files " + destination, 0), 0u)
            << calls[calls.size() - 2];
        EXPECT_EQ(calls.back(), "end");
    }
};

TEST_F(LaunchTest, InstallerStartsFromItsOwnFolderAndTheProgramEndsQuietly) {
    f.process.enterable.insert(folder);
    f.process.startable.insert("Quibrant_Setup.exe");
    run(installer);
    const std::vector<std::string> expected = {"changeDrive c", "changeDirectory " + folder,
                                               "startProgram Quibrant_Setup.exe", "end"};
    EXPECT_EQ(f.process.calls, expected);
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_EQ(f.shells.created, 0);
}

TEST_F(LaunchTest, PathWithoutSeparatorStartsAsItIsWhereWeAre) {
    f.process.startable.insert("Quibrant_Setup.exe");
    run("Quibrant_Setup.exe");
    const std::vector<std::string> expected = {"startProgram Quibrant_Setup.exe", "end"};
    EXPECT_EQ(f.process.calls, expected);
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST_F(LaunchTest, EveryFailureTakesTheSameFallback) {
    const std::string share = std::string("\\\\servidor") + kSep + "Quibrant_Setup.exe";
    struct Case {
        const char* what;
        std::string destination;
        bool folderExists;
    };
    const Case cases[] = {
        {"installer that does not start", installer, true},
        {"folder that does not exist", installer, false},
        {"path ending with the separator", folder, true},
        {"empty box", "", false},
        {"no separator and nothing to start", "Quibrant_Setup.exe", false},
        {"network share", share, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        f.process.calls.clear();
        f.process.enterable.clear();
        f.messages.shown.clear();
        callsAtNotice.clear();
        if (c.folderExists) {
            f.process.enterable.insert(folder);
            f.process.enterable.insert(std::string("\\\\servidor") + kSep);
        }
        run(c.destination);
        expectFallback(c.destination);
    }
}

TEST_F(LaunchTest, FallbackPlacesTheShortcutToTheInstallerOnTheDesktop) {
    f.process.enterable.insert(folder);
    f.process.listings[installer] = "Quibrant_Setup.exe";
    run(installer);
    expectFallback(installer);
    ASSERT_EQ(f.shells.saved.size(), 1u);
    EXPECT_EQ(f.shells.saved[0].path,
              joinPath({"", "home", "user", "Desktop",
                        std::string(install::kDesktopShortcutName) + ".lnk"}));
    ASSERT_EQ(f.messages.shown.size(), 1u);
}

TEST_F(LaunchTest, FallbackReportsAShortcutThatCannotBeMadeAndStillEnds) {
    run(installer);
    expectFallback(installer);
    ASSERT_EQ(f.messages.shown.size(), 2u);
    EXPECT_EQ(f.messages.shown[1].text, install::shortcutFailureMessage(52));
}

TEST_F(LaunchTest, FallbackReadsTheDestinationBoxAgain) {
    const std::string other = joinPath({"c:", "Otra", "Quibrant_Setup.exe"});
    f.messages.whileOpen = [&] { f.Text2.setText(other); };
    run(installer);
    EXPECT_EQ(f.process.calls[f.process.calls.size() - 2], "listName files " + other);
}

}  // namespace
}  // namespace quibrant::test
