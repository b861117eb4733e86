#include <QElapsedTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "DownloadFixture.h"
#include "EventLoop.h"
#include "TestServers.h"
#include "app/FormTexts.h"
#include "install/Signature.h"
#include "platform/ServiceFailures.h"
#include "posix/PosixFailure.h"
#include "posix/PosixSignatureCheck.h"
#include "posix/SteadyClock.h"
#include "support/FailureNumber.h"
#include "transfer-contract/FailureReports.h"
#include "transfer/Response.h"
#include "transfer/TransferFailures.h"

namespace quibrant::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kOldInstaller = "MZ instalador anterior";

class DownloadEndToEndTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        nginx = std::make_unique<NginxServer>();
        scripted = std::make_unique<ScriptedServer>();
    }
    static void TearDownTestSuite() {
        nginx.reset();
        scripted.reset();
    }

    static std::unique_ptr<NginxServer> nginx;
    static std::unique_ptr<ScriptedServer> scripted;
};
std::unique_ptr<NginxServer> DownloadEndToEndTest::nginx;
std::unique_ptr<ScriptedServer> DownloadEndToEndTest::scripted;

// Nothing half-done after a failure: the old installer as it was, no partial
// file, the input frame back, the progress frame hidden, and the watchdog
// off so that no time-out follows the message the user has just read.
void expectCleanFailure(DownloadFixture& f) {
    EXPECT_FALSE(f.ended());
    EXPECT_TRUE(f.Frame2.isEnabled());
    EXPECT_FALSE(f.Frame1.isVisible());
    EXPECT_FALSE(f.Timer1.isEnabled());
    EXPECT_EQ(f.form->progressBar().value(), 0);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(readFile(f.destination()) == kOldInstaller);
    EXPECT_FALSE(partialFileIn(f.folder()));
}

TEST_F(DownloadEndToEndTest, SavesEverySizeByteForByteAndHandsItOver) {
    for (const std::string name :
         {"f1.bin", "f1023.bin", "f1024.bin", "f1025.bin", "f8192.bin", "big.bin"}) {
        SCOPED_TRACE(name);
        DownloadFixture f(nginx->baseUrl());
        f.open();
        // An older installer, read-only, is replaced only by the complete file.
        writeFile(f.destination(), kOldInstaller);
        ASSERT_EQ(::chmod(f.destination().c_str(), 0444), 0);
        f.download(nginx->baseUrl(), name);
        ASSERT_TRUE(f.runToOutcome());

        EXPECT_TRUE(f.ended());
        EXPECT_TRUE(readFile(f.destination()) == servedFile(name));
        EXPECT_FALSE(partialFileIn(f.folder()));
        EXPECT_FALSE(f.Timer1.isEnabled());
        ASSERT_EQ(f.shells.saved.size(), 1u);
        EXPECT_EQ(f.lastMessage(), texts::kDownloaded);
        EXPECT_THAT(f.Frame1.caption(), HasSubstr(" KBytes. (100%)"));
    }
}

TEST_F(DownloadEndToEndTest, DownloadAndInstallStartsTheInstallerFromItsFolder) {
    DownloadFixture f(nginx->baseUrl());
    f.open();
    // Typed as a full address with trailing spaces: fetched as typed, trimmed.
    f.download("https://ignorado.example/", nginx->baseUrl() + "clientes/quibrant6_3.exe  ", true);
    ASSERT_TRUE(f.runToOutcome());
    EXPECT_TRUE(f.ended());
    EXPECT_TRUE(readFile(f.destination()) == servedFile("clientes/quibrant6_3.exe"));
    EXPECT_THAT(f.realProcess.calls, Contains("cd " + f.folder()));
    EXPECT_THAT(f.realProcess.calls, Contains("start Quibrant6_Setup.exe"));
    EXPECT_TRUE(f.messages.shown.empty());
}

// The real check on what really arrived: only the vendor's signed installer
// takes the installer's name and starts.
TEST_F(DownloadEndToEndTest, OnlyTheVendorsSignedInstallerTakesTheNameAndStarts) {
    posix::PosixSignatureCheck signatures{readFile(pkiFolder().toStdString() + "/ca.pem")};
    for (const bool isSigned : {true, false}) {
        const std::string name = isSigned ? "vendor.exe" : "unsigned.exe";
        SCOPED_TRACE(name);
        DownloadFixture f(nginx->baseUrl());
        f.useSignatures(signatures);
        f.open();
        writeFile(f.destination(), kOldInstaller);
        f.download(nginx->baseUrl(), name, true);
        ASSERT_TRUE(f.runToOutcome());
        EXPECT_EQ(f.ended(), isSigned);
        EXPECT_EQ(readFile(f.destination()) == servedFile(name), isSigned);
        EXPECT_EQ(std::count(f.realProcess.calls.begin(), f.realProcess.calls.end(),
                             "start Quibrant6_Setup.exe"),
                  isSigned ? 1 : 0);
        if (!isSigned) {
            expectCleanFailure(f);
            const std::string refusal =
                install::refusalMessage(install::Vetted::Downloaded, "", {});
            EXPECT_THAT(f.lastMessage(), StartsWith(refusal.substr(0, refusal.find('\r'))));
        }
    }
}

// An installed copy's Setup folder, written the way its ini file writes it:
// the download lands there through the wine prefix, is checked there, and
// the installer starts from there.
TEST_F(DownloadEndToEndTest, ADriveDestinationIsSavedCheckedAndStartedThroughThePrefix) {
    DownloadFixture f(nginx->baseUrl());
    const std::string prefix = f.folder() + "prefijo";
    std::filesystem::create_directories(prefix + "/drive_c/Quibrant6/Setup");
    std::filesystem::create_directories(prefix + "/dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
    const char* before = std::getenv("WINEPREFIX");
    const std::string saved = before != nullptr ? before : "";
    setenv("WINEPREFIX", prefix.c_str(), 1);
    posix::PosixSignatureCheck signatures{readFile(pkiFolder().toStdString() + "/ca.pem")};
    f.useSignatures(signatures);
    f.open();
    f.Text2.setText("C:\\Quibrant6\\Setup\\Quibrant6_Setup.exe");
    f.download(nginx->baseUrl(), "vendor.exe", true);
    const bool outcome = f.runToOutcome();
    before != nullptr ? setenv("WINEPREFIX", saved.c_str(), 1) : unsetenv("WINEPREFIX");
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(f.ended()) << f.lastMessage();
    EXPECT_TRUE(readFile(prefix + "/drive_c/Quibrant6/Setup/Quibrant6_Setup.exe") ==
                servedFile("vendor.exe"));
    EXPECT_THAT(f.realProcess.calls, Contains("cd C:\\Quibrant6\\Setup\\"));
    EXPECT_THAT(f.realProcess.calls, Contains("start Quibrant6_Setup.exe"));
}

TEST_F(DownloadEndToEndTest, RefusesToStartWithoutAnAcceptedCode) {
    DownloadFixture f(nginx->baseUrl());
    f.open();
    f.state().CodeAccepted = kFalse;
    writeFile(f.destination(), kOldInstaller);
    f.download(nginx->baseUrl(), "f1024.bin");
    runFor(300);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, texts::kCodeRequired);
    EXPECT_EQ(f.messages.shown[0].title, texts::kCodeRequiredTitle);
    EXPECT_TRUE(f.Frame2.isEnabled());
    EXPECT_FALSE(f.Timer1.isEnabled());
    EXPECT_EQ(f.inet.URL(), "");
    EXPECT_EQ(f.state().StateChangeCount, 0);
    EXPECT_TRUE(readFile(f.destination()) == kOldInstaller);
}

TEST_F(DownloadEndToEndTest, ReportsEveryBadAnswerAndLeavesTheOldInstaller) {
    struct Case {
        std::string path;
        std::string description;
    };
    const Case cases[] = {
        {"chunked/3000", failureText([] { transfer::parseContentLength(""); })},
        {"length/0/0", failureText([] { transfer::parseContentLength("0"); })},
        {"length/mil/10", failureText([] { transfer::parseContentLength("mil"); })},
        {"length/2147483648/10", failureText([] { transfer::parseContentLength("2147483648"); })},
        {"short/5000/2000", howFarItGot(2000, "5000")},
        {"long/3000/5000", failureText([] { transfer::checkBodyLength(5000, 3000, false); })},
        {"stall/10000/3000",
         transfer::stalledBody(std::chrono::milliseconds(1500), {3000, "10000"}).description()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        DownloadFixture f(scripted->https("/"));
        f.inet.setStallTimeout(std::chrono::milliseconds(1500));
        f.open();
        writeFile(f.destination(), kOldInstaller);
        f.download(scripted->https("/"), c.path);
        ASSERT_TRUE(f.runToOutcome());
        expectCleanFailure(f);
        EXPECT_THAT(f.lastMessage(), HasSubstr(c.description));
    }
}

// Wraps the real file system, but every write to the partial file fails for
// want of space.
class FullDiskFiles : public platform::FileSystemFactory {
  public:
    std::unique_ptr<platform::FileSystem> createFileSystem() override {
        class FullFile : public platform::BinaryFile {
          public:
            void write(const char*, std::size_t) override {
                throw posix::systemFailure(ENOSPC, platform::failures::kCannotWrite, "");
            }
            void close() override {}
        };
        class FullDisk : public platform::FileSystem {
          public:
            explicit FullDisk(std::unique_ptr<platform::FileSystem> real)
                : real_(std::move(real)) {}
            bool FolderExists(const std::string& p) override { return real_->FolderExists(p); }
            bool FileExists(const std::string& p) override { return real_->FileExists(p); }
            std::unique_ptr<platform::TextStream> OpenTextFile(const std::string& p) override {
                return real_->OpenTextFile(p);
            }
            void CreateFolder(const std::string& p) override { real_->CreateFolder(p); }
            void DeleteFile(const std::string& p, bool force) override {
                real_->DeleteFile(p, force);
            }
            platform::PartialFile createPartialFile(const std::string& destination) override {
                return {std::make_unique<FullFile>(), real_->createPartialFile(destination).path,
                        ""};
            }
            void replaceFile(const std::string& from, const std::string& to) override {
                real_->replaceFile(from, to);
            }
            std::string mapPath(const std::string& p) override { return real_->mapPath(p); }
            std::string systemDriveRoot() override { return real_->systemDriveRoot(); }

          private:
            std::unique_ptr<platform::FileSystem> real_;
        };
        return std::make_unique<FullDisk>(posix::PosixFileSystemFactory().createFileSystem());
    }
};

TEST_F(DownloadEndToEndTest, ReportsAFullDisk) {
    FullDiskFiles fullDisk;
    DownloadFixture f(nginx->baseUrl());
    f.useFileSystems(fullDisk);
    f.open();
    writeFile(f.destination(), kOldInstaller);
    f.download(nginx->baseUrl(), "big.bin");
    ASSERT_TRUE(f.runToOutcome());
    expectCleanFailure(f);
    EXPECT_THAT(f.lastMessage(),
                HasSubstr(textOf(platform::failures::SystemReason::kDiskFull).text));
}

// Told on the click itself, before anything is asked of the server.
TEST_F(DownloadEndToEndTest, ADestinationThatCannotBeWrittenIsToldAtOnce) {
    struct Case {
        const char* name;
        const char* destination;
        const char* description;
    };
    const Case cases[] = {
        {"a folder", "carpeta", platform::failures::kDestinationIsFolder},
        {"a missing folder", "falta/Quibrant6_Setup.exe",
         textOf(platform::failures::SystemReason::kNoSuchEntry).text},
        {"below a file", "archivo/Quibrant6_Setup.exe",
         textOf(platform::failures::SystemReason::kNotAFolderOnTheWay).text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadFixture f(nginx->baseUrl());
        f.open();
        ASSERT_EQ(::mkdir((f.folder() + "carpeta").c_str(), 0755), 0);
        writeFile(f.folder() + "archivo", "no soy una carpeta");
        f.Text2.setText(f.folder() + c.destination);
        f.download(nginx->baseUrl(), "f1024.bin");

        EXPECT_EQ(f.inet.URL(), "");
        EXPECT_TRUE(f.Frame2.isEnabled());
        EXPECT_FALSE(f.Timer1.isEnabled());
        ASSERT_EQ(f.messages.shown.size(), 1u);
        EXPECT_THAT(f.lastMessage(), HasSubstr(c.description));
        EXPECT_THAT(f.lastMessage(), HasSubstr(f.folder() + c.destination));
        EXPECT_TRUE(readFile(f.folder() + "archivo") == "no soy una carpeta");
        EXPECT_FALSE(partialFileIn(f.folder()));
        EXPECT_FALSE(partialFileIn(f.folder() + "carpeta"));
    }
}

// Whatever waits at the name a partial file once had (a link to someone
// else's file, a file placed there in advance, or a user's own file of that
// name) is neither written, nor emptied, nor removed, whether the download
// succeeds or fails.
TEST_F(DownloadEndToEndTest, NothingPlacedBesideTheDestinationIsTouched) {
    constexpr const char* kVictim = "datos de otra persona";
    for (const bool link : {true, false}) {
        for (const char* path : {"f8192.bin", "status/404"}) {
            SCOPED_TRACE(std::string(link ? "a link, " : "a file, ") + path);
            const bool fails = std::string(path).rfind("status/", 0) == 0;
            DownloadFixture f(fails ? scripted->https("/") : nginx->baseUrl());
            f.open();
            writeFile(f.destination(), kOldInstaller);
            const std::string planted = f.destination() + ".descarga";
            const std::string victim = f.folder() + "victima";
            writeFile(victim, kVictim);
            if (link) {
                ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
            } else {
                writeFile(planted, kVictim);
            }
            f.download(fails ? scripted->https("/") : nginx->baseUrl(), path);
            ASSERT_TRUE(f.runToOutcome());

            EXPECT_EQ(f.ended(), !fails);
            EXPECT_TRUE(readFile(f.destination()) ==
                        (fails ? std::string(kOldInstaller) : servedFile(path)));
            EXPECT_TRUE(readFile(planted) == kVictim);
            EXPECT_TRUE(readFile(victim) == kVictim);
            struct stat info {};
            ASSERT_EQ(::lstat(planted.c_str(), &info), 0);
            EXPECT_EQ(S_ISLNK(info.st_mode), link);
        }
    }
}

// Every failure is told at once, in its own words, and the window is given
// back: the clock never moves here, so a message that only the watchdog
// could give would never come.
TEST_F(DownloadEndToEndTest, TellsEveryFailureAtOnceInItsOwnWords) {
    // Qt Network reports every refused certificate as a failed handshake, and
    // a server's orderly close over TLS as a cut.
    const ReportingSystem linux{"127.0.0.1", true, true, true, false};
    for (const FailureReport& report : failureReports(linux)) {
        std::string server = scripted->https("");
        switch (report.server) {
            case FailingServer::kTrusted:
                break;
            case FailingServer::kClosed:
                server = "https://127.0.0.1:" + std::to_string(scripted->closedPort());
                break;
            case FailingServer::kUnknownHost:
                server = std::string("https://") + kUnknownHost;
                break;
            case FailingServer::kUntrusted:
                server = "https://127.0.0.1:" + std::to_string(scripted->untrustedPort());
                break;
            case FailingServer::kOtherHost:
                server = "https://127.0.0.1:" + std::to_string(scripted->otherHostPort());
                break;
            case FailingServer::kExpired:
                server = "https://127.0.0.1:" + std::to_string(scripted->expiredPort());
                break;
        }
        SCOPED_TRACE(server + report.path);
        DownloadFixture f(scripted->https("/"));
        f.open();
        writeFile(f.destination(), kOldInstaller);
        f.download(server, report.path);
        ASSERT_TRUE(f.runToOutcome());
        expectCleanFailure(f);
        EXPECT_EQ(f.lastMessage(), report.text);
    }
}

TEST_F(DownloadEndToEndTest, TheWatchdogEndsASilentServerAfterTenSeconds) {
    posix::SteadyClock steady;
    DownloadFixture f(scripted->https("/"));
    f.useClock(steady);
    f.open();
    QElapsedTimer elapsed;
    elapsed.start();
    f.download(scripted->https("/"), "silent");
    ASSERT_TRUE(f.runToOutcome(15000));
    const double seconds = static_cast<double>(elapsed.elapsed()) / 1000.0;
    EXPECT_TRUE(f.ended());
    EXPECT_EQ(f.lastMessage(), texts::kTimeOut);
    // Never before the ten seconds; how soon after them depends on the
    // machine's load, and the tick-by-tick timing is checked on the injected
    // clock instead.
    EXPECT_GT(seconds, 10.0);
}

TEST_F(DownloadEndToEndTest, TheWatchdogCountsOneByteAsNothing) {
    DownloadFixture f(scripted->https("/"));
    f.open();
    bool stillWatched = false;
    // One byte in and ticks gone by: still watched, and ten seconds on the
    // watchdog ends the program in the middle of the body.
    const auto jump = when([&] { return f.form->progressBar().value() == 1; },
                           [&] {
                               runFor(1100);
                               stillWatched = f.Timer1.isEnabled();
                               f.clock.now += 10.5;
                           });
    f.download(scripted->https("/"), "stall/10/1");
    ASSERT_TRUE(f.runToOutcome(15000));
    EXPECT_TRUE(stillWatched);
    EXPECT_TRUE(f.ended());
    EXPECT_EQ(f.lastMessage(), texts::kTimeOut);
    // Nothing was put under the installer's name, and the partial file is gone.
    EXPECT_FALSE(exists(f.destination()));
    EXPECT_FALSE(partialFileIn(f.folder()));
}

TEST_F(DownloadEndToEndTest, TheWatchdogStopsForGoodOnceDataFlows) {
    DownloadFixture f(scripted->https("/"));
    f.inet.setStallTimeout(std::chrono::milliseconds(3000));
    f.open();
    writeFile(f.destination(), kOldInstaller);
    bool jumped = false;
    // Long past the ten seconds once the watchdog has stopped: the stall that
    // follows is the component's to report, not a time-out.
    const auto jump =
        when([&] { return f.form->progressBar().value() > 1 && !f.Timer1.isEnabled(); },
             [&] {
                 jumped = true;
                 f.clock.now += 60;
             });
    f.download(scripted->https("/"), "stall/10000/3000");
    ASSERT_TRUE(f.runToOutcome(10000));
    EXPECT_TRUE(jumped);
    expectCleanFailure(f);
    EXPECT_EQ(
        f.lastMessage(),
        transfer::stalledBody(std::chrono::milliseconds(3000), {3000, "10000"}).description());
}

}  // namespace
}  // namespace quibrant::test
