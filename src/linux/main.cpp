// Quibrant Descarga: fetches the vendor's installer with an access code and
// hands it to the installer, or to a desktop shortcut.

#include <QApplication>
#include <QIcon>

#include <memory>

#include "app/DownloadForm.h"
#include "curl/CurlConnection.h"
#include "posix/PosixEnvironment.h"
#include "posix/PosixFileSystem.h"
#include "posix/PosixProcess.h"
#include "posix/PosixShell.h"
#include "posix/PosixSignatureCheck.h"
#include "posix/SteadyClock.h"
#include "qt/DownloadWindow.h"
#include "qt/QtMessageBoxes.h"
#include "source/ServerConfig.h"
#include "transfer/ResumingTransfer.h"

int main() {
    using namespace quibrant;

    // The program's timer starts with the program.
    posix::SteadyClock clock;

    // The program reads no command line, and neither does the toolkit: its
    // options (-style, -platform, -reverse...) would change the window.
    char programName[] = "quibrant-descarga";
    char* toolkitArgv[] = {programName, nullptr};
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, toolkitArgv);
    QApplication::setApplicationName(kAppTitle);
    QApplication::setDesktopFileName("quibrant-descarga");

    posix::PosixEnvironment environment;
    posix::PosixFileSystemFactory fileSystems;
    posix::PosixShellFactory shells;
    posix::PosixProcess process;
    qt::QtMessageBoxes messages;
    posix::PosixSignatureCheck signatures;

    const Services services{&environment, &fileSystems, &shells,    &process,
                            &clock,       &messages,    &signatures};

    const ServerConfig server = ServerConfig::builtIn();
    transfer::ResumingTransfer inet(
        std::make_unique<curl::CurlConnection>(server.MainServerBaseUrl), server.MainServerBaseUrl);
    qt::DownloadWindow window(services, inet, server);
    window.show();
    return QApplication::exec();
}
