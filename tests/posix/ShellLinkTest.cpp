#include <gtest/gtest.h>

#include "LinuxSystem.h"
#include "contract/ShellContract.h"
#include "platform/Failure.h"
#include "posix/ShellLinkWriter.h"
#include "support/FailureNumber.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, ShellContract, LinuxSystem);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, ShortcutContract, LinuxSystem);

namespace {

std::uint32_t u32At(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return v;
}

TEST(ShellLinkWriterTest, HeaderNamesTheFormatAndThePartsThatFollow) {
    posix::ShellLink link;
    link.target.path = "C:\\Descargas\\Quibrant_Setup.exe";
    link.target.size = 4321;
    link.workingDirectory = "C:\\Descargas\\";
    link.iconLocation = link.target.path;
    const std::string bytes = posix::shellLinkBytes(link);
    ASSERT_GT(bytes.size(), 0x4Cu);
    EXPECT_EQ(u32At(bytes, 0), 0x4Cu);
    EXPECT_EQ(bytes.substr(4, 16), std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00"
                                               "\x00\x00\x00\x46",
                                               16));
    // ID list, link info, working directory, icon location, Unicode; no
    // arguments.
    EXPECT_EQ(u32At(bytes, 0x14), 0x01u | 0x02u | 0x10u | 0x40u | 0x80u);
    EXPECT_EQ(u32At(bytes, 0x34), 4321u);
    EXPECT_EQ(u32At(bytes, 0x38), 0u);  // icon index
    EXPECT_EQ(u32At(bytes, 0x3C), 1u);  // normal window
    // The file ends with the empty extra-data terminator.
    EXPECT_EQ(u32At(bytes, bytes.size() - 4), 0u);
}

TEST(ShellLinkWriterTest, LnkinfoReadsBackEveryPartIncludingAccents) {
    LinuxSystem s;
    posix::ShellLink link;
    link.target.path = "C:\\Usuarios\\José\\Descargas\\Quibrant_Setup.exe";
    link.workingDirectory = "C:\\Usuarios\\José\\Descargas\\";
    link.arguments = "/S /D=C:\\Quibrant";
    link.iconLocation = link.target.path;
    const std::string file = s.write("a.lnk", posix::shellLinkBytes(link));
    auto fields = lnkinfo(file);
    ASSERT_FALSE(fields.empty()) << "lnkinfo (liblnk-utils) is needed";
    EXPECT_EQ(fields["Local path"], link.target.path);
    EXPECT_EQ(fields["Working directory"], link.workingDirectory);
    EXPECT_EQ(fields["Command line arguments"], link.arguments);
    EXPECT_EQ(fields["Icon location"], link.target.path);
    EXPECT_EQ(fields["Number of items"], "6");
    EXPECT_EQ(fields["Volume name"], "C:\\");
}

// Sizes past the format's 16-bit fields are refused, never cut short into a
// link that points elsewhere.
TEST(ShellLinkWriterTest, PartsTooLongForTheFormatAreRefused) {
    std::string deep = "C:";
    for (int i = 0; i < 1600; ++i) {
        deep += "\\a";
    }
    posix::ShellLink deepTarget;
    deepTarget.target.path = deep + "\\Quibrant_Setup.exe";
    posix::ShellLink longArguments;
    longArguments.target.path = "C:\\Quibrant_Setup.exe";
    longArguments.arguments = std::string(70000, 'x');
    for (const posix::ShellLink* link : {&deepTarget, &longArguments}) {
        EXPECT_EQ(failureNumber([&] { posix::shellLinkBytes(*link); }),
                  platform::errors::kBadFileNameOrNumber);
    }
}

class PosixShellTest : public ShellContract<LinuxSystem> {};

TEST_F(PosixShellTest, ALinkTooLongForTheFormatIsNotWritten) {
    s.write("dl/Quibrant_Setup.exe", "MZ");
    auto shortcut = s.shells.createObject("WScript.Shell")->CreateShortCut(s / "enlace.lnk");
    shortcut->setProperty("TargetPath", s / "dl/Quibrant_Setup.exe");
    shortcut->setProperty("Arguments", std::string(70000, 'x'));
    EXPECT_EQ(failureNumber([&] { shortcut->Save(); }), platform::errors::kBadFileNameOrNumber);
    EXPECT_FALSE(s.exists("enlace.lnk"));
}

TEST_F(PosixShellTest, TheLinkRecordsTheTargetsSize) {
    s.write("dl/Quibrant_Setup.exe", "MZ");
    auto shortcut = s.shells.createObject("WScript.Shell")->CreateShortCut(s / "enlace.lnk");
    shortcut->setProperty("TargetPath", s / "dl/Quibrant_Setup.exe");
    shortcut->Save();
    EXPECT_EQ(lnkinfo(s / "enlace.lnk")["File size"], "2 bytes");
}

TEST_F(PosixShellTest, AnExistingLinkSurvivesASaveThatFailsHalfWay) {
    // The place is taken by a folder, which the finished file cannot replace.
    s.makeFolder("Escritorio/enlace.lnk");
    auto shortcut =
        s.shells.createObject("WScript.Shell")->CreateShortCut(s / "Escritorio/enlace.lnk");
    shortcut->setProperty("TargetPath", "/bin/sh");
    EXPECT_THROW(shortcut->Save(), platform::Failure);
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(s / "Escritorio")) {
        static_cast<void>(entry);
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

}  // namespace
}  // namespace quibrant::test
