#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/Paths.h"
#include "platform/Process.h"
#include "support/FailureNumber.h"

namespace quibrant::test {

// What every system's process service does.
template <typename S>
class ProcessContract : public ::testing::Test {
  protected:
    S s;
};

TYPED_TEST_SUITE_P(ProcessContract);

TYPED_TEST_P(ProcessContract, ListingShowsVisibleFilesAndOptionallyFolders) {
    auto& s = this->s;
    auto& process = s.process;
    s.write("dl/Quibrant_Setup.exe", "x");
    s.makeFolder("dl/sub");
    const std::string hidden = s.writeHidden("dl", "oculto.exe");
    const std::string hiddenFolder = s.makeHiddenFolder("dl", "oculta");
    const std::string sep(1, platform::kSep);

    EXPECT_EQ(process.listName(s.path("dl/Quibrant_Setup.exe"), false), "Quibrant_Setup.exe");
    EXPECT_EQ(process.listName(s.path("dl/Quibrant_Setup.exe"), true), "Quibrant_Setup.exe");
    EXPECT_EQ(process.listName(hidden, false), "");
    EXPECT_EQ(process.listName(hidden, true), "");
    EXPECT_EQ(process.listName(s.path("dl/no.exe"), false), "");
    EXPECT_EQ(process.listName(s.path("falta/no.exe"), true), "");
    EXPECT_EQ(process.listName(s.path("dl/sub"), false), "");
    EXPECT_EQ(process.listName(s.path("dl/sub"), true), "sub");
    EXPECT_EQ(process.listName(hiddenFolder, true), "");
    // A folder written with its final separator lists as its own entry.
    EXPECT_EQ(process.listName(s.path("dl/sub") + sep, true), ".");
    EXPECT_EQ(process.listName(s.path("dl/sub") + sep, false), "");
    EXPECT_EQ(process.listName(s.path("dl/falta") + sep, true), "");
    EXPECT_EQ(process.listName(s.path("dl/Quibrant_Setup.exe") + sep, false), "");
    EXPECT_EQ(process.listName("", true), "");
    // A pattern matches files, but names none.
    EXPECT_EQ(process.listName(s.path("dl/*.exe"), false), "");
    EXPECT_EQ(process.listName(s.path("dl/Quibrant_Setup.ex?"), true), "");
}

TYPED_TEST_P(ProcessContract, TheCurrentFolderChangesOnlyToAFolderThatExists) {
    auto& s = this->s;
    auto& process = s.process;
    s.makeFolder("Descargas ñ");
    process.changeDirectory(s.path("Descargas ñ") + platform::kSep);
    EXPECT_EQ(s.currentFolder(), s.folderAsSeen("Descargas ñ"));
    EXPECT_EQ(failureNumber([&] { process.changeDirectory(s.path("no/existe/")); }),
              platform::errors::kPathNotFound);
    failureNumber([&] { process.changeDirectory(""); });
    // A path that starts with a backslash (a network share) names no drive.
    EXPECT_EQ(failureNumber([&] { process.changeDrive('\\'); }),
              platform::errors::kDeviceUnavailable);
    EXPECT_EQ(s.currentFolder(), s.folderAsSeen("Descargas ñ"));
}

TYPED_TEST_P(ProcessContract, AProgramStartsFromTheCurrentFolderAndRunsOnItsOwn) {
    auto& s = this->s;
    const std::string program = s.installer("dl con espacios");
    s.process.changeDirectory(s.path("dl con espacios"));
    s.process.startProgram(program.substr(program.find_last_of(platform::kSep) + 1));
    EXPECT_EQ(s.recordedFolder("dl con espacios"), s.folderAsSeen("dl con espacios"));
}

TYPED_TEST_P(ProcessContract, WhatCannotBeStartedFailsAtOnce) {
    auto& s = this->s;
    s.write("dl/texto.txt", "no soy un programa");
    s.makeFolder("dl/carpeta.exe");
    s.process.changeDirectory(s.path("dl"));
    EXPECT_EQ(failureNumber([&] { s.process.startProgram("no_existe.exe"); }),
              platform::errors::kFileNotFound);
    for (const char* name : {"texto.txt", "carpeta.exe", ""}) {
        SCOPED_TRACE(name);
        failureNumber([&] { s.process.startProgram(name); });
    }
}

TYPED_TEST_P(ProcessContract, AProgramIsLookedUpInTheCurrentFolderOnly) {
    auto& s = this->s;
    s.makeFolder("vacia");
    s.process.changeDirectory(s.path("vacia"));
    EXPECT_EQ(failureNumber([&] { s.process.startProgram(s.programElsewhere()); }),
              platform::errors::kFileNotFound);
}

REGISTER_TYPED_TEST_SUITE_P(ProcessContract, ListingShowsVisibleFilesAndOptionallyFolders,
                            TheCurrentFolderChangesOnlyToAFolderThatExists,
                            AProgramStartsFromTheCurrentFolderAndRunsOnItsOwn,
                            WhatCannotBeStartedFailsAtOnce,
                            AProgramIsLookedUpInTheCurrentFolderOnly);

}  // namespace quibrant::test
