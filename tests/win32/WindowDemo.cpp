// Opens the program's window over fakes of every service, for looking at it
// (scripts/screenshot-windows) without a network or an installation.
#include <windows.h>

#include "support/FakeInternetTransfer.h"
#include "support/FakeServices.h"
#include "win32/DownloadWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    quibrant::test::FakeServiceSet fakes;
    fakes.environment.addFolder("C:\\users\\usuario\\Temp");
    fakes.environment.addFolder("C:\\users\\usuario");
    fakes.environment.variables = {{"temp", "C:\\users\\usuario\\Temp"},
                                   {"userprofile", "C:\\users\\usuario"}};
    fakes.fileSystems.fs().driveRoot = "C:\\";
    quibrant::test::FakeInternetTransfer inet;
    quibrant::win32::DownloadWindow window(instance, fakes.services(), inet);
    window.show(showCommand);
    return quibrant::win32::DownloadWindow::runMessageLoop(window);
}
