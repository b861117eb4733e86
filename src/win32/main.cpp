// Quibrant Descarga for Windows: fetches the vendor's installer with an access
// code and hands it to the installer, or to a desktop shortcut.

#include <windows.h>

#include "win32/Program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    return quibrant::win32::runProgram(instance, showCommand);
}
