#include <gtest/gtest.h>

#include "install/InstallTestPaths.h"
#include "install/Shortcut.h"
#include "platform/Failure.h"
#include "platform/ServiceFailures.h"
#include "support/FormFixture.h"

namespace quibrant::test {
namespace {

using Properties = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kLinkName = install::kDesktopShortcutName;

class ShortcutTest : public ::testing::Test {
  protected:
    FormFixture f;
    const std::string desktop = joinPath({"", "home", "user", "Desktop"});
    const std::string installer = joinPath({"c:", "Descargas", "Quibrant_Setup.exe"});

    void SetUp() override {
        f.create();
        f.shells.specialFolders["Desktop"] = desktop;
        f.process.listings[installer] = "Quibrant_Setup.exe";
    }

    std::int32_t create(const std::string& destination, const std::string& args = "") {
        return f.form->CreateShortCut(kLinkName, installer, destination, args);
    }
};

TEST_F(ShortcutTest, WritesTheShortcutIntoTheSpecialFolder) {
    EXPECT_EQ(create("desktop"), -1);
    ASSERT_EQ(f.shells.saved.size(), 1u);
    EXPECT_EQ(f.shells.saved[0].path, joinPath({desktop, std::string(kLinkName) + ".lnk"}));
    const Properties expected = {
        {"TargetPath", installer},
        {"IconLocation", installer + ", 0"},
        {"WorkingDirectory", joinPath({"c:", "Descargas", ""})},
        {"Arguments", ""},
    };
    EXPECT_EQ(f.shells.saved[0].properties, expected);
    // The shortcut object and the shell are both released.
    EXPECT_EQ(f.shells.created, 1);
    EXPECT_EQ(f.shells.released, 2);
}

TEST_F(ShortcutTest, ArgumentsAreStored) {
    EXPECT_EQ(create("Desktop", "/S /D=x"), -1);
    ASSERT_EQ(f.shells.saved.size(), 1u);
    EXPECT_EQ(f.shells.saved[0].properties.back(),
              (std::pair<std::string, std::string>{"Arguments", "/S /D=x"}));
}

TEST_F(ShortcutTest, TargetTheListingDoesNotShowGives52AndTouchesNothing) {
    // Missing, hidden and system files all list as nothing.
    f.process.listings.clear();
    EXPECT_EQ(create("Desktop"), 52);
    EXPECT_EQ(f.shells.created, 0);
    EXPECT_TRUE(f.shells.saved.empty());
}

TEST_F(ShortcutTest, DestinationMayBeAnExistingFolder) {
    const std::string folder = joinPath({"", "datos", "enlaces"});
    f.process.listings[folder] = "enlaces";
    EXPECT_EQ(create(folder), -1);
    ASSERT_EQ(f.shells.saved.size(), 1u);
    EXPECT_EQ(f.shells.saved[0].path, joinPath({folder, std::string(kLinkName) + ".lnk"}));
    EXPECT_EQ(f.process.calls[1], "listName all " + folder);
}

TEST_F(ShortcutTest, DestinationThatIsNeitherSpecialNorExistingGives52) {
    EXPECT_EQ(create(joinPath({"", "no", "existe"})), 52);
    EXPECT_TRUE(f.shells.saved.empty());
    EXPECT_EQ(f.shells.created, 1);
    EXPECT_EQ(f.shells.released, 1);
}

TEST_F(ShortcutTest, WorkingDirectoryIsCutByTheListedNameNotAtTheSeparator) {
    // Written with a short alias, the last name is longer than the one the
    // listing shows.
    const std::string alias = joinPath({"c:", "Descargas", "QUIBRA~1.EXE"});
    f.process.listings[alias] = "Quibrant.exe";
    EXPECT_EQ(f.form->CreateShortCut(kLinkName, alias, "Desktop"), -1);
    ASSERT_EQ(f.shells.saved.size(), 1u);
    EXPECT_EQ(f.shells.saved[0].properties[2].second, alias.substr(0, alias.size() - 12));
}

TEST_F(ShortcutTest, PlatformFailuresGiveTheirOwnNumbers) {
    f.shells.failSave = true;
    EXPECT_EQ(create("Desktop"), 70);
    EXPECT_EQ(f.shells.released, 2);

    f.shells.failSave = false;
    f.shells.failCreate = true;
    EXPECT_EQ(create("Desktop"), 429);
}

// A shell whose failures carry a number of its own choosing.
class NumberedFailureShell : public platform::ShellFactory {
  public:
    explicit NumberedFailureShell(std::int32_t number) : number_(number) {}
    std::unique_ptr<platform::ShellObject> createObject(const std::string&) override {
        throw platform::Failure(number_, platform::failures::kCannotCreateObject);
    }

  private:
    std::int32_t number_;
};

TEST_F(ShortcutTest, FailureNumberedLikeSuccessIsStillAFailure) {
    for (const std::int32_t number : {-1, 0}) {
        NumberedFailureShell shell(number);
        Services services = f.services();
        services.shells = &shell;
        DownloadForm form(f.controls(), services);
        EXPECT_EQ(form.CreateShortCut(kLinkName, installer, "Desktop"), 51) << number;
    }
}

TEST_F(ShortcutTest, DesktopShortcutIsSilentOnSuccess) {
    DownloadFormTestAccess::CreateDesktopShortcut(*f.form, installer);
    ASSERT_EQ(f.shells.saved.size(), 1u);
    EXPECT_EQ(f.shells.saved[0].path, joinPath({desktop, std::string(kLinkName) + ".lnk"}));
    EXPECT_EQ(f.shells.saved[0].properties.back().second, "");
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST_F(ShortcutTest, DesktopShortcutFailureShowsTheNumberWithoutIconOrTitle) {
    DownloadFormTestAccess::CreateDesktopShortcut(*f.form, joinPath({"c:", "no.exe"}));
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, install::shortcutFailureMessage(52));
    EXPECT_EQ(f.messages.shown[0].title, "");
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::None);
}

TEST_F(ShortcutTest, DesktopShortcutFailureShowsANegativeNumberWithItsSign) {
    NumberedFailureShell shell(-2147024891);
    Services services = f.services();
    services.shells = &shell;
    DownloadForm form(f.controls(), services);
    DownloadFormTestAccess::CreateDesktopShortcut(form, installer);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, install::shortcutFailureMessage(-2147024891));
    EXPECT_NE(f.messages.shown[0].text.find(" -2147024891"), std::string::npos);
}

}  // namespace
}  // namespace quibrant::test
