#include "install/Shortcut.h"

#include <algorithm>
#include <memory>

#include "platform/Failure.h"
#include "platform/Paths.h"

namespace quibrant::install {

namespace {

constexpr const char* kShellProgId = "WScript.Shell";
constexpr const char* kShortcutExtension = ".lnk";
constexpr const char* kIconOfTarget = ", 0";
constexpr const char* kTargetNotFound = "No se encontró el archivo de destino del acceso directo.";
constexpr const char* kFolderNotFound = "No se encontró la carpeta del acceso directo.";

constexpr const char* kShortcutErrorPrefix = "Error: ";
constexpr const char* kShortcutErrorLineBreaks = "\r\n\r\n";
constexpr const char* kShortcutErrorText = "No se pudo completar la operación de Acceso Directo.";

}  // namespace

std::int32_t createShortcut(platform::Process& process, platform::ShellFactory& shells,
                            const std::string& NameLnk, const std::string& FileName,
                            const std::string& Destination, const std::string& Args) {
    try {
        // Hidden and system files do not show in the listing, so they get no
        // shortcut either.
        const std::string listed = process.listName(FileName, false);
        if (listed.empty()) {
            throw platform::Failure(platform::errors::kBadFileNameOrNumber, kTargetNotFound);
        }
        // Released on every way out, the shortcut before the shell.
        const std::unique_ptr<platform::ShellObject> shell = shells.createObject(kShellProgId);
        std::string folder = shell->SpecialFolders(Destination);
        if (folder.empty()) {
            folder = Destination;
            if (process.listName(folder, true).empty()) {
                throw platform::Failure(platform::errors::kBadFileNameOrNumber, kFolderNotFound);
            }
        }
        const std::unique_ptr<platform::ShortcutObject> shortcut =
            shell->CreateShortCut(folder + platform::kSep + NameLnk + kShortcutExtension);
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
        return kShortcutCreated;
    } catch (const platform::Failure& failure) {
        // A failure reported with the success value, or with none, still
        // counts as a failure.
        const std::int32_t number = failure.number();
        return number == kShortcutCreated || number == 0 ? platform::errors::kInternalError
                                                         : number;
    }
}

std::string shortcutFailureMessage(std::int32_t result) {
    return kShortcutErrorPrefix + std::to_string(result) + kShortcutErrorLineBreaks +
           kShortcutErrorText;
}

}  // namespace quibrant::install
