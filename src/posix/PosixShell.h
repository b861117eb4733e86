#pragma once

#include <memory>
#include <string>

#include "platform/Shell.h"
#include "posix/WinePaths.h"

namespace quibrant::posix {

// The shell object on Linux: "WScript.Shell" with the special folder
// "Desktop" and shortcuts saved as genuine Windows shell links, so that a
// shortcut on a shared desktop opens on Windows and under wine alike.
class PosixShellFactory : public platform::ShellFactory {
  public:
    // `desktopFolder` is the folder the window shows as the desktop; empty
    // means the user's desktop as the environment gives it, which is created
    // when a shortcut is about to go there and it is missing.
    explicit PosixShellFactory(std::string desktopFolder = "",
                               WinePaths wine = WinePaths::fromEnvironment());

    std::unique_ptr<platform::ShellObject> createObject(const std::string& progId) override;

  private:
    bool userDesktop_;
    std::string desktopFolder_;
    WinePaths wine_;
};

}  // namespace quibrant::posix
