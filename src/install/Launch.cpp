#include "app/DownloadForm.h"
#include "platform/Failure.h"
#include "platform/Paths.h"

namespace quibrant {

namespace {

constexpr const char* kElevationNotice =
    "Debido a la siguridad de Cuentas de Usuario, la INSTALACION debe finalizarse atraves del "
    "acceso directo creado en su escritorio.";
constexpr const char* kElevationNoticeTitle = "ATENCION";

}  // namespace

void DownloadForm::RunInstaller() {
    try {
        const std::string destination = controls_.Text2->text();
        const char drive = destination.empty() ? '\0' : destination.front();
        const std::size_t separator = destination.rfind(platform::kSep);
        std::string commandLine = destination;
        if (separator != std::string::npos) {
            // Started from its own folder, the installer finds its files
            // beside it.
            commandLine = destination.substr(separator + 1);
            services_.process->changeDrive(drive);
            services_.process->changeDirectory(destination.substr(0, separator + 1));
        }
        services_.process->startProgram(commandLine);
    } catch (const platform::Failure&) {
        // The system would not let us start it (or the path is wrong): the
        // user finishes from a shortcut on the desktop instead.
        services_.messages->show(kElevationNotice, kElevationNoticeTitle,
                                 platform::MessageIcon::Information);
        CreateDesktopShortcut(controls_.Text2->text());
    }
    services_.process->end();
}

}  // namespace quibrant
