#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "posix/PosixEnvironment.h"
#include "support/FormFixture.h"

namespace quibrant::test {
namespace {

namespace fs = std::filesystem;

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
  public:
    void set(const std::string& name, const std::optional<std::string>& value) {
        if (saved_.count(name) == 0) {
            const char* old = getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }

  private:
    std::map<std::string, std::optional<std::string>> saved_;
};

class PosixEnvironmentTest : public ::testing::Test {
  protected:
    fs::path root;
    ScopedEnvironment env;
    posix::PosixEnvironment environment;

    void SetUp() override {
        char pattern[] = "/tmp/quibrant-env-XXXXXX";
        root = fs::canonical(mkdtemp(pattern));
        fs::create_directories(root / "home" / "user1");
        fs::create_directories(root / "tmp");
        for (const char* name : {"TEMP", "TMP", "TMPDIR", "USERPROFILE", "HOMEDRIVE",
                                 "XDG_DESKTOP_DIR", "XDG_CONFIG_HOME"}) {
            env.set(name, std::nullopt);
        }
        env.set("HOME", (root / "home" / "user1").string());
    }
    void TearDown() override { fs::remove_all(root); }

    // Runs the form's load handler against the real environment.
    FormState load() {
        FormFixture f;
        Services services = f.services();
        services.environment = &environment;
        f.form = std::make_unique<DownloadForm>(f.controls(), services);
        f.form->Form_Load();
        return std::move(f.state());
    }
};

TEST_F(PosixEnvironmentTest, NamesAreMatchedWithoutRegardToCase) {
    env.set("temp", (root / "tmp").string());
    EXPECT_EQ(environment.variable("TEMP"), (root / "tmp").string());
    EXPECT_EQ(environment.variable("Temp"), (root / "tmp").string());
    EXPECT_EQ(environment.variable("NO_SUCH_VARIABLE_HERE"), "");
}

TEST_F(PosixEnvironmentTest, TmpFallsBackToTmpdirThenToSlashTmp) {
    EXPECT_EQ(environment.variable("tmp"), "/tmp");
    env.set("TMPDIR", "/var/tmp");
    EXPECT_EQ(environment.variable("tmp"), "/var/tmp");
    env.set("TMP", (root / "tmp").string());
    EXPECT_EQ(environment.variable("tmp"), (root / "tmp").string());
}

TEST_F(PosixEnvironmentTest, HomeStandsInForHomeDriveAndProfile) {
    EXPECT_EQ(environment.variable("HOMEDRIVE"), (root / "home" / "user1").string());
    EXPECT_EQ(environment.variable("userprofile"), (root / "home" / "user1").string());
    env.set("USERPROFILE", "/elsewhere");
    EXPECT_EQ(environment.variable("userprofile"), "/elsewhere");
}

TEST_F(PosixEnvironmentTest, LongPathIsTheCanonicalPathOfAnExistingPathThatFits) {
    fs::create_directories(root / "a" / "b");
    const std::string dotted = (root / "a" / "." / "b" / ".." / "b").string();
    EXPECT_EQ(environment.longPathName(dotted, 255), (root / "a" / "b").string());
    EXPECT_EQ(environment.longPathName((root / "missing").string(), 255), "");
    const std::string exact = (root / "a" / "b").string();
    EXPECT_EQ(environment.longPathName(exact, exact.size() + 1), exact);
    EXPECT_EQ(environment.longPathName(exact, exact.size()), "");
}

TEST_F(PosixEnvironmentTest, DesktopIsTheXdgDesktopWhenConfigured) {
    const fs::path home = root / "home" / "user1";
    EXPECT_EQ(environment.desktopFolderOf(home.string()), (home / "Desktop").string());

    fs::create_directories(home / ".config");
    std::ofstream(home / ".config" / "user-dirs.dirs")
        << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Escritorio\"\n";
    EXPECT_EQ(environment.desktopFolderOf(home.string()), (home / "Escritorio").string());

    // A desktop switched off (pointing at home) falls back to home/Desktop.
    std::ofstream(home / ".config" / "user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/\"\n";
    EXPECT_EQ(environment.desktopFolderOf(home.string()), (home / "Desktop").string());
}

TEST_F(PosixEnvironmentTest, LoadResolvesTheFoldersFromTheRealEnvironment) {
    env.set("TEMP", (root / "tmp").string());
    FormState state = load();
    EXPECT_EQ(state.TempFolder, (root / "tmp").string() + "/");
    EXPECT_EQ(state.DesktopFolder, (root / "home" / "user1" / "Desktop").string() + "/");

    // A temp folder that does not exist falls through to tmp, then to /tmp.
    env.set("TEMP", (root / "gone").string());
    EXPECT_EQ(load().TempFolder, "/tmp/");
}

TEST_F(PosixEnvironmentTest, NoHomeAtAllLeavesTheDesktopAtTheTemporaryFolder) {
    env.set("HOME", std::nullopt);
    env.set("TMP", (root / "tmp").string());
    FormState state = load();
    EXPECT_EQ(state.TempFolder, (root / "tmp").string() + "/");
    EXPECT_EQ(state.DesktopFolder, state.TempFolder);
}

}  // namespace
}  // namespace quibrant::test
