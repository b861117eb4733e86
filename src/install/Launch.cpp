#include "install/Launch.h"

#include "install/Signature.h"
#include "platform/Paths.h"

namespace quibrant::install {

void startInstaller(platform::Process& process, platform::SignatureCheck& signatures,
                    const std::string& destination) {
    requireVendorSignature(signatures, destination, Vetted::AtDestination);
    const std::size_t separator = destination.rfind(platform::kSep);
    if (separator == std::string::npos) {
        process.startProgram(destination);
        return;
    }
    process.changeDrive(destination.front());
    process.changeDirectory(destination.substr(0, separator + 1));
    process.startProgram(destination.substr(separator + 1));
}

bool startFailureNamesItsCause(const platform::Failure& failure) {
    return failure.number() == platform::errors::kProgramKindUnsupported ||
           failure.number() == platform::errors::kNotAProgram;
}

}  // namespace quibrant::install
