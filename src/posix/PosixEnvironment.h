#pragma once

#include <string>

#include "platform/Environment.h"

namespace quibrant::posix {

// The process environment, with the Windows variable names the program asks
// for mapped to their Linux counterparts:
//   temp        -> TMPDIR, else what tmp gives
//   tmp         -> a folder of the user's own (the wine prefix's temporary
//                  folder for the user when the prefix exists, else one
//                  under $XDG_CACHE_HOME), made 0700 when missing; never
//                  the shared /tmp
//   HOMEDRIVE   -> HOME (the root of the user's own files)
//   userprofile -> USERPROFILE, else HOME
// Every name is matched without regard to case.
class PosixEnvironment : public platform::Environment {
  public:
    std::string variable(const std::string& name) override;
    std::string longPathName(const std::string& path, std::size_t bufferSize) override;
    std::string desktopFolderOf(const std::string& profile) override;
};

// The value of an environment variable matched without regard to case; ""
// when it is not set.
std::string environmentVariable(const std::string& name);

// The absolute path of an existing path, without links, "." or ".."; "" when
// the path does not exist.
std::string canonicalPath(const std::string& path);

// The user's own temporary folder (see PosixEnvironment), made 0700 when
// missing; "" when there is none to be had.
std::string userTemporaryFolder();

// The user's desktop folder inside `home`: the XDG desktop directory when the
// user has one configured, else home/Desktop.
std::string desktopFolderIn(const std::string& home);

}  // namespace quibrant::posix
