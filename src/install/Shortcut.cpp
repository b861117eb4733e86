#include <memory>

#include "app/DownloadForm.h"
#include "platform/Failure.h"
#include "platform/Paths.h"

namespace quibrant {

namespace {

constexpr const char* kShellProgId = "WScript.Shell";
constexpr const char* kShortcutExtension = ".lnk";
constexpr const char* kIconOfTarget = ", 0";
constexpr const char* kTargetNotFound = "No se encontró el archivo de destino del acceso directo.";
constexpr const char* kFolderNotFound = "No se encontró la carpeta del acceso directo.";
// A failure reported with the success value, or with none, still counts as a
// failure; it is shown with this number instead.
constexpr std::int32_t kUnnumberedFailure = 51;

constexpr const char* kDesktopShortcutName = "Instalar Actualización Quibrant 6";
constexpr const char* kDesktopSpecialFolder = "Desktop";
constexpr const char* kShortcutErrorPrefix = "Error: ";
constexpr const char* kShortcutErrorLineBreaks = "\r\n\r\n";
constexpr const char* kShortcutErrorText = "No se pudo completar la operación de Acceso Directo.";

}  // namespace

std::int32_t DownloadForm::CreateShortCut(const std::string& NameLnk, const std::string& FileName,
                                          const std::string& Destination, const std::string& Args) {
    std::int32_t result = kTrue;
    std::unique_ptr<platform::ShellObject> shell;
    std::unique_ptr<platform::ShortcutObject> shortcut;
    try {
        // Hidden and system files do not show in the listing, so they get no
        // shortcut either.
        const std::string listed = services_.process->listName(FileName, false);
        if (listed.empty()) {
            throw platform::Failure(platform::errors::kBadFileNameOrNumber, kTargetNotFound);
        }
        shell = services_.shells->createObject(kShellProgId);
        std::string folder = shell->SpecialFolders(Destination);
        if (folder.empty()) {
            folder = Destination;
            if (services_.process->listName(folder, true).empty()) {
                throw platform::Failure(platform::errors::kBadFileNameOrNumber, kFolderNotFound);
            }
        }
        shortcut = shell->CreateShortCut(folder + platform::kSep + NameLnk + kShortcutExtension);
        shortcut->setProperty("TargetPath", FileName);
        shortcut->setProperty("IconLocation", FileName + kIconOfTarget);
        // The folder is what is left once the name the listing shows is cut
        // off, which differs from the last separator when the path was
        // written with a short alias.
        shortcut->setProperty(
            "WorkingDirectory",
            FileName.substr(0, FileName.size() - std::min(listed.size(), FileName.size())));
        shortcut->setProperty("Arguments", Args);
        shortcut->Save();
        result = kTrue;
    } catch (const platform::Failure& failure) {
        result = failure.number();
        if (result == kTrue || result == 0) {
            result = kUnnumberedFailure;
        }
    }
    shortcut.reset();
    shell.reset();
    return result;
}

void DownloadForm::CreateDesktopShortcut(const std::string& installerPath) {
    const std::int32_t result =
        CreateShortCut(kDesktopShortcutName, installerPath, kDesktopSpecialFolder, "");
    if (result == kTrue) {
        return;
    }
    services_.messages->show(kShortcutErrorPrefix + std::to_string(result) +
                                 kShortcutErrorLineBreaks + kShortcutErrorText,
                             "", platform::MessageIcon::None);
}

}  // namespace quibrant
