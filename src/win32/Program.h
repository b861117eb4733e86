#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "platform/MessageBox.h"
#include "source/ServerConfig.h"

namespace quibrant::win32 {

class DownloadWindow;

// What a test program may change about the program. The shipped program
// leaves every member as it is.
struct ProgramOptions {
    // The server to talk to instead of the built-in one.
    std::optional<ServerConfig> server;
    // Where messages go instead of message boxes on the screen.
    platform::MessageBoxes* messages = nullptr;
    // Runs once the window is on the screen, before the message loop starts.
    std::function<void(DownloadWindow&)> afterShow;
};

// Lets DLLs loaded from now on come from the system folder only.
void restrictLibrarySearch();

// Wires the Windows services, the transfer component and the window together,
// shows the window and runs it until the program ends. Returns the exit code.
int runProgram(HINSTANCE instance, int showCommand, const ProgramOptions& options = {});

}  // namespace quibrant::win32
