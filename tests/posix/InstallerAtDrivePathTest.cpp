#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "LinuxSystem.h"
#include "SignedInstallers.h"
#include "install/Shortcut.h"
#include "install/Signature.h"
#include "posix/PosixSignatureCheck.h"
#include "support/FormFixture.h"

namespace quibrant::test {
namespace {

constexpr const char* kRecordingWine =
    "#!/bin/sh\n"
    "echo \"$@\" > argumentos.txt\n";
const std::string kLink = std::string("Escritorio/") + install::kDesktopShortcutName + ".lnk";

// An installer named the way the ini file and the user write it, "C:\...",
// is checked where wine would start it from: a signed one starts, and an
// unsigned one is refused with no shortcut left to start it later.
TEST(InstallerAtDrivePathTest, IsCheckedWhereWineStartsIt) {
    for (const bool vendorSigned : {true, false}) {
        SCOPED_TRACE(vendorSigned ? "signed" : "unsigned");
        LinuxSystem s;
        s.write("bin/wine", kRecordingWine, 0755);
        s.variables.set("PATH", (s / "bin") + ":/usr/bin:/bin");
        s.makeFolder("prefix/drive_c/Quibrant6/Setup");
        std::filesystem::copy_file(signedInstaller(vendorSigned ? "vendor.exe" : "unsigned.exe"),
                                   s / "prefix/drive_c/Quibrant6/Setup/Quibrant_Setup.exe");
        posix::PosixSignatureCheck signatures(readAll(signedInstaller("firma/ca.pem")));

        FormFixture f;
        Services services = f.services();
        s.wire(services);
        services.signatures = &signatures;
        f.form = std::make_unique<DownloadForm>(f.controls(), services);
        f.Text2.setText("C:\\Quibrant6\\Setup\\Quibrant_Setup.exe");
        if (vendorSigned) {
            EXPECT_THROW(f.form->Command3_Click(), ProgramEnded);
            ASSERT_TRUE(s.waitFor("prefix/drive_c/Quibrant6/Setup/argumentos.txt"))
                << (f.messages.shown.empty() ? "" : f.messages.shown[0].text);
            EXPECT_EQ(s.read("prefix/drive_c/Quibrant6/Setup/argumentos.txt"),
                      "./Quibrant_Setup.exe\n");
            EXPECT_TRUE(f.messages.shown.empty());
        } else {
            f.form->Command3_Click();
            ASSERT_EQ(f.messages.shown.size(), 1u);
            const std::string refusal = install::refusalMessage(
                install::Vetted::AtDestination, "C:\\Quibrant6\\Setup\\Quibrant_Setup.exe", {});
            EXPECT_EQ(f.messages.shown[0].text.rfind(refusal.substr(0, refusal.find('\r')), 0), 0u)
                << f.messages.shown[0].text;
            EXPECT_FALSE(s.exists("prefix/drive_c/Quibrant6/Setup/argumentos.txt"));
        }
        EXPECT_FALSE(s.exists(kLink));
    }
}

}  // namespace
}  // namespace quibrant::test
