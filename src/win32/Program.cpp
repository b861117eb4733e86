#include "win32/Program.h"

#include <memory>

#include "app/DownloadForm.h"
#include "win32/DownloadWindow.h"
#include "win32/Win32Clock.h"
#include "win32/Win32Environment.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32MessageBoxes.h"
#include "win32/Win32Process.h"
#include "win32/Win32Shell.h"
#include "win32/Win32SignatureCheck.h"
#include "win32/WinInetTransfer.h"

namespace quibrant::win32 {
namespace {

constexpr int kStartFailed = 1;

}  // namespace

int runProgram(HINSTANCE instance, int showCommand, const ProgramOptions& options) {
    // The program's timer starts with the program.
    Win32Clock clock;

    // DPI awareness comes from the program's manifest, and the window
    // registers the common controls it uses itself.
    Win32Environment environment;
    Win32FileSystemFactory fileSystems;
    Win32ShellFactory shells;
    Win32Process process;
    Win32MessageBoxes screenMessages;
    platform::MessageBoxes* messages = options.messages ? options.messages : &screenMessages;
    Win32SignatureCheck signatures;

    const Services services{&environment, &fileSystems, &shells,    &process,
                            &clock,       messages,     &signatures};

    const ServerConfig server = options.server.value_or(ServerConfig::builtIn());
    WinInetTransfer inet(server.MainServerBaseUrl);
    std::unique_ptr<DownloadWindow> window;
    try {
        window = std::make_unique<DownloadWindow>(instance, services, inet, server);
    } catch (const platform::Failure& failure) {
        // The window could not even load: say why rather than vanish.
        messages->show(failure.description(), "", platform::MessageIcon::Critical);
        return kStartFailed;
    }
    screenMessages.setOwner(window->handle());
    window->show(showCommand);
    if (options.afterShow) {
        options.afterShow(*window);
    }
    return DownloadWindow::runMessageLoop(*window);
}

}  // namespace quibrant::win32
