// quibrant-comprobar: the vendor's check that every installer the access codes
// lead to is on the configured server and would be accepted by the program.

#include <QCoreApplication>

#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "check/MirrorCheck.h"
#include "curl/CurlConnection.h"
#include "install/Signature.h"
#include "posix/PosixFileSystem.h"
#include "posix/PosixSignatureCheck.h"
#include "source/AccessCodeTable.h"
#include "source/ServerConfig.h"
#include "transfer/ResumingTransfer.h"

int main(int argc, char** argv) {
    using namespace quibrant;

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // The toolkit's own options must not be taken from the check's command line.
    char programName[] = "quibrant-comprobar";
    char* toolkitArgv[] = {programName, nullptr};
    int toolkitArgc = 1;
    QCoreApplication app(toolkitArgc, toolkitArgv);

    check::CheckSetup setup;
    setup.server = ServerConfig::builtIn();
    setup.codes = &builtInAccessCodeTable();
    setup.signer = install::vendorSigner();
    transfer::ResumingTransfer inet(
        std::make_unique<curl::CurlConnection>(setup.server.MainServerBaseUrl),
        setup.server.MainServerBaseUrl);
    posix::PosixSignatureCheck signatures;
    const std::unique_ptr<platform::FileSystem> files =
        posix::PosixFileSystemFactory().createFileSystem();
    setup.inet = &inet;
    setup.signatures = &signatures;
    setup.files = files.get();
    return check::runMirrorCheck(arguments, setup, std::cout, std::cerr, ::isatty(STDERR_FILENO));
}
