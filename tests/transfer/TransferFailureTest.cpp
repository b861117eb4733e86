#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>

#include "DownloadFixture.h"
#include "platform/PartialFileName.h"
#include "support/FailureNumber.h"
#include "transfer/Response.h"
#include "transfer/TransferFailures.h"

namespace quibrant::test {
namespace {

// The partial file the fake makes for the fixture's first download.
std::string firstPartial() {
    return platform::partialFileName("/home/user/Quibrant_Setup.exe", 1);
}

struct FailureCase {
    const char* name;
    // Turns the complete response of 5000 bytes into the faulty one.
    std::function<void(FakeInternetTransfer&, FakeFileSystem&)> arrange;
    std::string description;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class TransferFailureTest : public DownloadFixture,
                            public ::testing::WithParamInterface<FailureCase> {};

TEST_P(TransferFailureTest, ReportsItAndGivesTheWindowBackWithTheOlderInstallerIntact) {
    const FailureCase& c = GetParam();
    f.fs().files[kDestination] = {"older installer", true, false};
    f.form->Command1_Click();
    f.Inet1.respond(body(5000));
    c.arrange(f.Inet1, f.fs());
    // Nothing half-done is left while the user reads the message.
    f.messages.whileOpen = [&] {
        EXPECT_FALSE(f.Timer1.isEnabled());
        EXPECT_FALSE(partialFileLeft());
        EXPECT_EQ(f.taskbar.now().state, platform::TaskbarState::Error);
    };

    EXPECT_FALSE(raiseCompleted());
    EXPECT_EQ(f.taskbar.now(), platform::TaskbarProgress{});

    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, c.description);
    EXPECT_EQ(f.messages.shown[0].title, "");
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(f.Frame2.isEnabled());
    EXPECT_FALSE(f.Frame1.isVisible());
    EXPECT_FALSE(f.Timer1.isEnabled());
    EXPECT_EQ(bar().value(), 0.0f);
    EXPECT_EQ(f.Inet1.cancels, 1);
    EXPECT_EQ(f.fs().files[kDestination].bytes, "older installer");
    EXPECT_FALSE(partialFileLeft());
    // The partial file made when the download started is closed once, then
    // removed.
    const auto& calls = f.fs().calls;
    const std::string partial = firstPartial();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "close " + partial), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "DeleteFile " + partial), 1);

    // The user may try again at once, and this time the file arrives.
    f.messages.whileOpen = nullptr;
    f.fs().failing.clear();
    f.fs().failingClose.clear();
    f.fs().diskSpace.reset();
    f.form->Command1_Click();
    EXPECT_EQ(f.taskbar.now().state, platform::TaskbarState::Normal);
    f.Inet1.failAfter.reset();
    f.Inet1.respond(body(5000));
    EXPECT_TRUE(raiseCompleted());
    EXPECT_EQ(f.fs().files[kDestination].bytes, body(5000));
}

using transfer::TransferFault;

const FailureCase kCases[] = {
    {"NoContentLength", [](FakeInternetTransfer& inet, FakeFileSystem&) { inet.headers.clear(); },
     failureText([] { transfer::parseContentLength(""); })},
    {"ContentLengthZero",
     [](FakeInternetTransfer& inet, FakeFileSystem&) { inet.headers["Content-Length"] = "0"; },
     failureText([] { transfer::parseContentLength("0"); })},
    {"ContentLengthNotANumber",
     [](FakeInternetTransfer& inet, FakeFileSystem&) { inet.headers["Content-Length"] = "5k"; },
     failureText([] { transfer::parseContentLength("5k"); })},
    {"ContentLengthTooLarge",
     [](FakeInternetTransfer& inet, FakeFileSystem&) {
         inet.headers["Content-Length"] = "3000000000";
     },
     failureText([] { transfer::parseContentLength("3000000000"); })},
    {"NotFound", [](FakeInternetTransfer& inet, FakeFileSystem&) { inet.status = 404; },
     failureText([] { transfer::checkStatus(404, ""); })},
    {"ServerError", [](FakeInternetTransfer& inet, FakeFileSystem&) { inet.status = 500; },
     failureText([] { transfer::checkStatus(500, ""); })},
    {"ShortBody",
     [](FakeInternetTransfer& inet, FakeFileSystem&) { inet.headers["Content-Length"] = "5100"; },
     transfer::brokenBody(TransferFault::kConnectionClosed, {5000, "5100"}, "").description()},
    {"LongerBody",
     [](FakeInternetTransfer& inet, FakeFileSystem&) { inet.headers["Content-Length"] = "4999"; },
     failureText([] { transfer::checkBodyLength(5000, 4999, false); })},
    {"ConnectionLost", [](FakeInternetTransfer& inet, FakeFileSystem&) { inet.failAfter = 2048; },
     transfer::brokenBody(TransferFault::kConnectionReset, {2048, "5000"}, "").description()},
    {"DiskFull", [](FakeInternetTransfer&, FakeFileSystem& fs) { fs.diskSpace = 3000; },
     FakeFileSystem::diskFull(firstPartial()).description()},
    {"DiskFullAtClose",
     [](FakeInternetTransfer&, FakeFileSystem& fs) { fs.failingClose.insert(firstPartial()); },
     FakeFileSystem::diskFull(firstPartial()).description()},
    {"DiskFullAtWriteAndClose",
     [](FakeInternetTransfer&, FakeFileSystem& fs) {
         fs.diskSpace = 1024;
         fs.failingClose.insert(firstPartial());
     },
     FakeFileSystem::diskFull(firstPartial()).description()},
    {"DestinationNotReplaceable",
     [](FakeInternetTransfer&, FakeFileSystem& fs) {
         fs.failing.insert("/home/user/Quibrant_Setup.exe");
     },
     FakeFileSystem::denied("/home/user/Quibrant_Setup.exe").description()},
};

INSTANTIATE_TEST_SUITE_P(Failures, TransferFailureTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quibrant::test
