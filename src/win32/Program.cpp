#include "win32/Program.h"

#include <memory>

#include "app/DownloadForm.h"
#include "transfer/ResumingTransfer.h"
#include "win32/services/Win32Clock.h"
#include "win32/services/Win32Environment.h"
#include "win32/services/Win32FileSystem.h"
#include "win32/services/Win32MessageBoxes.h"
#include "win32/services/Win32Process.h"
#include "win32/services/Win32Shell.h"
#include "win32/services/Win32SignatureCheck.h"
#include "win32/window/DownloadWindow.h"
#include "win32/wininet/WinInetConnection.h"

namespace quibrant::win32 {
namespace {

constexpr int kStartFailed = 1;
// Not declared for the Windows versions the program is built for; the call
// exists from Windows 8 on, and on Windows 7 once its loader update is in.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);

}  // namespace

void restrictLibrarySearch() {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesCall>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(kSearchSystem32)) {
        return;
    }
    // Without it, at least the current folder leaves the search.
    SetDllDirectoryW(L"");
}

int runProgram(HINSTANCE instance, int showCommand, const ProgramOptions& options) {
    // Before anything loads a DLL on demand: the window's and the transfer's
    // DLLs, and whatever the system loads for them, come from the system
    // folder only, never from beside the program (a Downloads folder).
    restrictLibrarySearch();
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
    std::unique_ptr<transfer::ResumingTransfer> inet;
    std::unique_ptr<DownloadWindow> window;
    try {
        inet = std::make_unique<transfer::ResumingTransfer>(std::make_unique<WinInetConnection>(),
                                                            server.MainServerBaseUrl);
        window = std::make_unique<DownloadWindow>(instance, services, *inet, server);
    } catch (const platform::Failure& failure) {
        // The window or its transfer could not even load: say why rather
        // than vanish.
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
