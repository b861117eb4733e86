#include <gtest/gtest.h>

#include <algorithm>

#include "LinuxSystem.h"
#include "posix/TextEncoding.h"
#include "posix/WinePaths.h"

namespace quibrant::test {
namespace {

using posix::WinePaths;

TEST(WinePathsTest, DrivePathsGoThroughThePrefixInEitherSpelling) {
    const WinePaths wine("/home/ana/.wine/");
    EXPECT_EQ(wine.toLinux("C:\\Quibrant7\\Quibrant.ini"),
              "/home/ana/.wine/dosdevices/c:/Quibrant7/Quibrant.ini");
    EXPECT_EQ(wine.toLinux("d:/Quibrant/Quibrant6"),
              "/home/ana/.wine/dosdevices/d:/Quibrant/Quibrant6");
    EXPECT_EQ(wine.toLinux("S:\\Server\\"), "/home/ana/.wine/dosdevices/s:/Server/");
    EXPECT_EQ(wine.toLinux("e:"), "/home/ana/.wine/dosdevices/e:");
    // Anything else is a Linux path already.
    EXPECT_EQ(wine.toLinux("/tmp/Quibrant_Setup.exe"), "/tmp/Quibrant_Setup.exe");
    EXPECT_EQ(wine.toLinux("Quibrant_Setup.exe"), "Quibrant_Setup.exe");
    EXPECT_EQ(wine.toLinux("ab:c"), "ab:c");
    EXPECT_EQ(wine.toLinux("\\\\servidor\\share"), "\\\\servidor\\share");
    EXPECT_EQ(wine.toLinux(""), "");
}

TEST(WinePathsTest, PrefixComesFromTheEnvironmentOrTheHomeFolder) {
    LinuxSystem s;
    s.variables.set("WINEPREFIX", "/opt/prefijo");
    EXPECT_EQ(WinePaths::fromEnvironment().prefix(), "/opt/prefijo");
    s.variables.set("WINEPREFIX", "");
    s.variables.set("HOME", "/home/ana");
    EXPECT_EQ(WinePaths::fromEnvironment().prefix(), "/home/ana/.wine");
}

TEST(WinePathsTest, LinuxPathsGetTheDriveAWindowsProgramSees) {
    LinuxSystem s;
    s.makeFolder("prefix/drive_c/Descargas");
    s.link("/", "prefix/dosdevices/z:");
    s.makeFolder("otros");
    const WinePaths wine(s / "prefix");

    // Through the drive's link or its real folder alike.
    EXPECT_EQ(wine.toWindows(s / "prefix/dosdevices/c:/Descargas/Setup.exe"),
              "C:\\Descargas\\Setup.exe");
    EXPECT_EQ(wine.toWindows(s / "prefix/drive_c/Descargas/"), "C:\\Descargas\\");
    EXPECT_EQ(wine.toWindows(s / "prefix/drive_c"), "C:\\");
    // Outside every deeper drive, z: holds it.
    std::string onRoot = "Z:" + (s / "otros/");
    std::replace(onRoot.begin(), onRoot.end(), '/', '\\');
    EXPECT_EQ(wine.toWindows(s / "otros/"), onRoot);
}

TEST(WinePathsTest, LettersAndNamesMatchInAnyCaseAsFarAsTheyExist) {
    LinuxSystem s;
    s.makeFolder("prefix/drive_c/QUIBRANT7/Año");
    s.link("../drive_c", "prefix/dosdevices/D:");
    const WinePaths wine(s / "prefix");
    // What does not exist yet keeps the case it is written in.
    EXPECT_EQ(wine.toLinux("C:\\Quibrant7\\AÑO\\Nuevo\\"),
              s / "prefix/dosdevices/c:/QUIBRANT7/Año/Nuevo/");
    EXPECT_EQ(wine.toLinux("d:/quibrant7"), s / "prefix/dosdevices/D:/QUIBRANT7");
    EXPECT_EQ(wine.driveFolder('d'), s / "prefix/dosdevices/D:");
}

TEST(WinePathsTest, WithoutAPrefixEverythingIsOnTheRootDrive) {
    const WinePaths wine("/no/hay/prefijo");
    EXPECT_EQ(wine.toWindows("/usr/share/"), "Z:\\usr\\share\\");
    EXPECT_EQ(wine.toWindows("/"), "Z:\\");
    EXPECT_EQ(wine.toWindows("c:/Descargas/x.exe"), "C:\\Descargas\\x.exe");
    EXPECT_EQ(wine.driveFolder('c'), "");
}

TEST(TextEncodingTest, Windows1252BecomesUtf8AndBack) {
    const std::string single = "A\xF1o \x80 \x93x\x94 \x81";
    const std::string utf8 = posix::windows1252ToUtf8(single);
    EXPECT_EQ(utf8, "Año € “x” \xC2\x81");
    EXPECT_EQ(posix::utf8ToWindows1252(utf8), single);
    EXPECT_EQ(posix::utf8ToWindows1252("Ω ok", '_'), "_ ok");
}

TEST(TextEncodingTest, Utf16HandlesSurrogatesAndMalformedInput) {
    EXPECT_EQ(posix::utf8ToUtf16("é\xF0\x9F\x98\x80"), (std::u16string{0x00E9, 0xD83D, 0xDE00}));
    EXPECT_EQ(posix::utf8ToUtf16("a\xC3"), (std::u16string{u'a', 0xFFFD}));
    EXPECT_EQ(posix::utf8ToUtf16("\xC0\xAF"), (std::u16string{0xFFFD, 0xFFFD}));
}

}  // namespace
}  // namespace quibrant::test
