#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/FormTexts.h"
#include "install/InstallTestPaths.h"
#include "install/Launch.h"
#include "install/Signature.h"
#include "transfer/DownloadFixture.h"

namespace quibrant::test {
namespace {

using platform::SignatureFault;

// What every refusal leaves: the user told why, nothing started, no shortcut,
// the window the user's again and the program still running.
void expectRefusedAndGivenBack(FormFixture& f, const std::string& refusal) {
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, refusal);
    EXPECT_EQ(f.messages.shown[0].icon, platform::MessageIcon::Critical);
    for (const std::string& call : f.process.calls) {
        EXPECT_EQ(call.rfind("startProgram", 0), std::string::npos) << call;
    }
    EXPECT_FALSE(f.process.ended);
    EXPECT_EQ(f.shells.created, 0);
    EXPECT_TRUE(f.Frame2.isEnabled());
    EXPECT_FALSE(f.Timer1.isEnabled());
}

class RefusedDownloadTest : public DownloadFixture, public ::testing::WithParamInterface<bool> {};

// Both buttons that download: the file never takes the installer's name, the
// older installer stays, and neither the installer nor a shortcut follows.
TEST_P(RefusedDownloadTest, AnUnsignedDownloadIsRemovedAndNothingStarts) {
    const bool install = GetParam();
    f.fs().files[kDestination] = {"older installer"};
    f.shells.specialFolders["Desktop"] = "/home/user/Desktop";
    f.process.startable.insert("Quibrant_Setup.exe");
    f.process.enterable.insert("/home/user/");
    const platform::SignatureReport unsignedFile =
        FakeSignatureCheck::report(SignatureFault::Unsigned);
    f.signatures.always = unsignedFile;
    std::size_t filesWhileTold = 0;
    f.messages.whileOpen = [&] { filesWhileTold = f.fs().files.size(); };
    install ? f.form->Command1_Click() : f.form->Command2_Click();
    f.Inet1.respond(body(3000));

    EXPECT_FALSE(raiseCompleted());

    expectRefusedAndGivenBack(
        f, install::refusalMessage(install::Vetted::Downloaded, kDestination, unsignedFile));
    ASSERT_EQ(f.signatures.checked.size(), 1u);
    EXPECT_NE(f.signatures.checked[0], kDestination);
    // Gone before the user is told, and the older installer is untouched.
    EXPECT_EQ(filesWhileTold, 1u);
    EXPECT_EQ(f.fs().files.size(), 1u);
    EXPECT_EQ(f.fs().files[kDestination].bytes, "older installer");
}

INSTANTIATE_TEST_SUITE_P(InstallOrOnlyDownload, RefusedDownloadTest, ::testing::Bool());

// The installer that starts is the file its check held: after a download it
// is not read again, and one replaced under its name before the start is
// checked afresh once, then refused. A system that holds nothing checks the
// file at the installer's name again right before the start.
TEST(StartedInstallerTest, WhatStartsIsTheFileThatWasChecked) {
    const std::string installer = joinPath({"c:", "Descargas", "Quibrant_Setup.exe"});
    const std::string start = "startChecked Quibrant_Setup.exe holding " + installer;
    struct Case {
        const char* what;
        bool held;
        int replaced;
        std::vector<std::string> starts;
        std::size_t checks;
        bool refused;
    };
    const Case cases[] = {
        {"held since the download", true, 0, {start}, 1, false},
        {"replaced once", true, 1, {start, start}, 2, false},
        {"replaced twice", true, 2, {start, start}, 2, true},
        {"nothing held", false, 0, {"startProgram Quibrant_Setup.exe"}, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        struct : DownloadFixture {
            void TestBody() override {}
            using DownloadFixture::body;
            using DownloadFixture::f;
            using DownloadFixture::raiseCompleted;
            using DownloadFixture::SetUp;
        } d;
        d.SetUp();
        d.f.Text2.setText(installer);
        d.f.process.startable.insert("Quibrant_Setup.exe");
        d.f.process.enterable.insert(joinPath({"c:", "Descargas", ""}));
        d.f.shells.specialFolders["Desktop"] = "/home/user/Desktop";
        d.f.signatures.holdFiles = c.held;
        d.f.signatures.replacedBeforeStart = c.replaced;
        d.f.form->Command1_Click();
        d.f.Inet1.respond(d.body(3000));
        EXPECT_EQ(d.raiseCompleted(), !c.refused);
        std::vector<std::string> starts;
        for (const std::string& call : d.f.process.calls) {
            if (call.rfind("start", 0) == 0) {
                starts.push_back(call);
            }
        }
        EXPECT_EQ(starts, c.starts);
        EXPECT_EQ(d.f.signatures.checked.size(), c.checks);
        if (c.checks > 1) {
            EXPECT_EQ(d.f.signatures.checked.back(), installer);
        }
        // A refusal leaves no shortcut to a file nobody vouches for.
        EXPECT_EQ(d.f.process.ended, !c.refused);
        EXPECT_EQ(d.f.shells.created, 0);
        if (c.refused) {
            ASSERT_EQ(d.f.messages.shown.size(), 1u);
            EXPECT_EQ(d.f.messages.shown[0].text, install::replacedWhileCheckedMessage(installer));
            EXPECT_TRUE(d.f.Frame2.isEnabled());
        }
    }
}

// "Solo Descargar" starts nothing: the installer is let go before the user
// reads the confirmation, so that the shortcut can start it meanwhile.
TEST_F(DownloadFixture, OnlyDownloadingLetsTheInstallerGoBeforeTheMessage) {
    f.shells.specialFolders["Desktop"] = "/home/user/Desktop";
    f.signatures.holdFiles = true;
    bool heldWhileTold = true;
    f.messages.whileOpen = [&] {
        heldWhileTold = f.signatures.held.size() != 1 || !f.signatures.held[0].expired();
    };
    f.form->Command2_Click();
    f.Inet1.respond(body(3000));
    ASSERT_TRUE(raiseCompleted());
    EXPECT_EQ(f.messages.shown.back().text, texts::kDownloaded);
    EXPECT_FALSE(heldWhileTold);
}

class SoloInstalarTest : public ::testing::Test {
  protected:
    FormFixture f;
    const std::string installer = joinPath({"c:", "Descargas", "Quibrant_Setup.exe"});

    void SetUp() override {
        f.start();
        f.Text2.setText(installer);
        f.process.startable.insert("Quibrant_Setup.exe");
        f.process.enterable.insert(joinPath({"c:", "Descargas", ""}));
        f.shells.specialFolders["Desktop"] = "/home/user/Desktop";
    }
};

// Every way a file can fail the check ends the same way, with the reason,
// the signer found and the system's code for support.
TEST_F(SoloInstalarTest, AFileWithoutTheVendorsSignatureNeverStarts) {
    platform::SignatureReport unsignedFile = FakeSignatureCheck::report(SignatureFault::Unsigned);
    unsignedFile.systemCode = 0x800B0100;
    const struct {
        platform::SignatureReport report;
        // What the message must show of the report.
        const char* shown;
    } cases[] = {
        {unsignedFile, "(código 0x800B0100)."},
        {FakeSignatureCheck::report(SignatureFault::ForeignSigner, "Otra Empresa S.A."),
         "(Otra Empresa S.A.)."},
        // Whatever the certificate's maker put in the name, the box shows no
        // control character.
        {FakeSignatureCheck::report(SignatureFault::ForeignSigner, "Otra\x1b[2J\r\nEmpresa"),
         "(Otra[2JEmpresa)."},
        {FakeSignatureCheck::report(SignatureFault::Expired, "Quibrant S.L."), ""},
        {FakeSignatureCheck::report(SignatureFault::WeakDigest), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.report.fault));
        f.messages.shown.clear();
        f.process.calls.clear();
        f.Frame2.setEnabled(false);
        f.signatures.byPath[installer] = c.report;
        f.form->Command3_Click();
        expectRefusedAndGivenBack(
            f, install::refusalMessage(install::Vetted::AtDestination, installer, c.report));
        const std::string& text = f.messages.shown.at(0).text;
        EXPECT_NE(text.find(installer), std::string::npos);
        EXPECT_NE(text.find(install::refusalReason(c.report)), std::string::npos);
        EXPECT_EQ(text.compare(text.size() - std::strlen(c.shown), std::string::npos, c.shown), 0);
        EXPECT_EQ(text.find('\x1b'), std::string::npos);
    }
}

// A missing file is no signature question: the start fails as it always did,
// and the notice and the shortcut attempt follow.
TEST_F(SoloInstalarTest, AMissingFileTakesTheUsualFallback) {
    f.signatures.byPath[installer] = FakeSignatureCheck::report(SignatureFault::Missing);
    EXPECT_THROW(f.form->Command3_Click(), ProgramEnded);
    ASSERT_FALSE(f.messages.shown.empty());
    EXPECT_EQ(f.messages.shown[0].title, texts::kElevationNoticeTitle);
    EXPECT_EQ(f.process.calls.back(), "end");
}

}  // namespace
}  // namespace quibrant::test
