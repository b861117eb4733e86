#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "WinInetTestSupport.h"
#include "support/FormFixture.h"
#include "transfer-contract/FailureReports.h"
#include "transfer/ResumingTransfer.h"
#include "win32/wininet/WinInetConnection.h"

namespace quibrant::test {
namespace {

constexpr const char* kDestination = "C:\\Quibrant_Setup.exe";
constexpr const char* kOldInstaller = "instalador anterior";

std::string serverFor(FailingServer server) {
    const WinInetServers& s = WinInetServers::get();
    switch (server) {
        case FailingServer::kTrusted:
            break;
        case FailingServer::kClosed:
            return WinInetServers::at(s.closed, "");
        case FailingServer::kUnknownHost:
            return std::string("https://") + kUnknownHost;
        case FailingServer::kUntrusted:
            return WinInetServers::at(s.untrusted, "");
        case FailingServer::kOtherHost:
            return WinInetServers::at(s.otherHost, "");
        case FailingServer::kExpired:
            return WinInetServers::at(s.expired, "");
    }
    return s.scripted("");
}

// The form over the fakes with the real WinINet component. Nothing drives the
// watchdog here: a failure the user only learnt of from the time-out would
// never be told at all.
TEST(WinInetFormTest, TellsEveryFailureAtOnceInItsOwnWords) {
    const ReportingSystem windows{"localhost", false, true, true, true};
    for (const FailureReport& report : failureReports(windows)) {
        const std::string url = serverFor(report.server) + report.path;
        SCOPED_TRACE(url);
        FormFixture f;
        transfer::ResumingTransfer inet(std::make_unique<win32::WinInetConnection>(),
                                        WinInetServers::get().scripted("/"));
        Controls controls = f.controls();
        controls.Inet1 = &inet;
        f.form = std::make_unique<DownloadForm>(
            controls, f.services(),
            ServerConfig{WinInetServers::get().scripted("/"), "transferencias.example", "prueba",
                         "secreto"});
        inet.onStateChanged([&f](std::int16_t state) { f.form->Inet1_StateChanged(state); });
        f.window.onEvents = [] { runFor(0); };
        f.form->Option1_Click(1);
        f.fs().files[kDestination].bytes = kOldInstaller;
        f.Text2.setText(kDestination);
        f.Text3.setText("");
        f.Text1.setText(url);
        f.state().CodeAccepted = kTrue;
        f.form->Command2_Click();

        ASSERT_TRUE(runUntil([&f] { return !f.messages.shown.empty(); }, 20000));
        runFor(100);
        ASSERT_EQ(f.messages.shown.size(), 1u);
        EXPECT_EQ(f.messages.shown[0].text, report.text);
        EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Critical);
        EXPECT_TRUE(f.Frame2.isEnabled());
        EXPECT_FALSE(f.Timer1.isEnabled());
        EXPECT_EQ(f.fs().files[kDestination].bytes, kOldInstaller);
        EXPECT_EQ(f.fs().files.size(), 1u);
        inet.onStateChanged(nullptr);
        inet.Cancel();
    }
}

}  // namespace
}  // namespace quibrant::test
