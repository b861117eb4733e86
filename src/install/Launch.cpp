#include "install/Launch.h"

#include <cctype>

#include "install/Signature.h"
#include "platform/Paths.h"

namespace quibrant::install {

namespace {

constexpr const char* kReplacedWhileChecked =
    "El archivo %s cambió mientras se comprobaba su firma digital y no se ha iniciado.";

// Where the folder ends in `path`. A drive path ("C:\Quibrant6\Setup\...",
// as the ini file and the user write it) has its folders wherever the system
// reads it, so it splits at either separator.
std::size_t folderEnd(const std::string& path) {
    const bool drivePath = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                           path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    return drivePath ? path.find_last_of("\\/") : path.rfind(platform::kSep);
}

// Starts the file at `destination` from its own folder: `checked`, the file
// the check held, when the system holds one.
void startFrom(platform::Process& process, const std::string& destination,
               const platform::CheckedFile* checked) {
    const std::size_t separator = folderEnd(destination);
    std::string name = destination;
    if (separator != std::string::npos) {
        process.changeDrive(destination.front());
        process.changeDirectory(destination.substr(0, separator + 1));
        name = destination.substr(separator + 1);
    }
    if (checked != nullptr) {
        process.startChecked(name, *checked);
    } else {
        process.startProgram(name);
    }
}

}  // namespace

void startInstaller(platform::Process& process, platform::SignatureCheck& signatures,
                    const std::string& destination,
                    std::shared_ptr<platform::CheckedFile> checked) {
    for (bool again = false;; again = true) {
        if (!checked) {
            checked = requireVendorSignature(signatures, destination, Vetted::AtDestination);
        }
        try {
            startFrom(process, destination, checked.get());
            return;
        } catch (const platform::Failure& failure) {
            if (failure.number() != platform::errors::kFileChangedSinceCheck) {
                throw;
            }
            // Someone put another file in its place: never started unchecked,
            // and never chased for ever.
            if (again) {
                throw UntrustedInstaller(platform::errors::kPermissionDenied,
                                         replacedWhileCheckedMessage(destination));
            }
            checked.reset();
        }
    }
}

std::string replacedWhileCheckedMessage(const std::string& destination) {
    const std::string text(kReplacedWhileChecked);
    const std::size_t at = text.find("%s");
    return text.substr(0, at) + destination + text.substr(at + 2);
}

bool startFailureNamesItsCause(const platform::Failure& failure) {
    return failure.number() == platform::errors::kProgramKindUnsupported ||
           failure.number() == platform::errors::kNotAProgram;
}

}  // namespace quibrant::install
