#pragma once

#include <string>

namespace quibrant::posix {

// Windows programs on Linux live in a wine prefix, where drive L is the folder
// (usually a link) <prefix>/dosdevices/l:. This is how the program reaches the
// drives it probes and the X:\... paths it reads from ini files.
class WinePaths {
  public:
    // The prefix of WINEPREFIX, or ~/.wine when it is unset or empty.
    static WinePaths fromEnvironment();
    explicit WinePaths(std::string prefix);

    const std::string& prefix() const { return prefix_; }

    // True for a path that starts with a drive letter and a colon, followed by
    // nothing or a separator of either kind.
    static bool isDrivePath(const std::string& path);

    // The Linux path of a drive path: "D:\Quibrant7\Quibrant.ini" becomes
    // <prefix>/dosdevices/d:/Quibrant7/Quibrant.ini, or .../d:/QUIBRANT7/...
    // when the folder is named so: letters and names match in any case, as
    // on Windows. Other paths are returned as they are.
    std::string toLinux(const std::string& path) const;

    // The path a Windows program (under this prefix or on a Windows machine
    // reading our shortcut) uses for a Linux path: a path inside one of the
    // prefix's drives becomes X:\..., anything else wine's Z:\ drive (the
    // file-system root). A final separator is kept.
    std::string toWindows(const std::string& linuxPath) const;

    // <prefix>/dosdevices/<letter>: when that folder exists, else "".
    std::string driveFolder(char letter) const;

  private:
    std::string prefix_;
};

}  // namespace quibrant::posix
