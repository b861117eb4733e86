#pragma once

#include <cstdint>
#include <string>

#include "platform/Process.h"
#include "platform/Shell.h"

namespace quibrant::install {

// The shortcut through which the user installs when the program cannot start
// the installer itself, and after a download-only run.
inline constexpr const char* kDesktopShortcutName = "Instalar Actualización Quibrant 6";
inline constexpr const char* kDesktopSpecialFolder = "Desktop";

// What createShortcut answers on success: the program's true value.
inline constexpr std::int32_t kShortcutCreated = -1;

// Writes the shortcut `NameLnk`.lnk to `FileName` into the special folder
// `Destination` names, or into the folder `Destination` when the shell knows
// no special folder of that name. Answers kShortcutCreated, or the number of
// the failure that stopped it (52 when the target or the folder is missing);
// never throws.
std::int32_t createShortcut(platform::Process& process, platform::ShellFactory& shells,
                            const std::string& NameLnk, const std::string& FileName,
                            const std::string& Destination, const std::string& Args);

// What the user reads when the desktop shortcut could not be made.
std::string shortcutFailureMessage(std::int32_t result);

}  // namespace quibrant::install
