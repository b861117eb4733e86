#pragma once

#include <memory>
#include <string>

#include "platform/Failure.h"
#include "platform/SignatureCheck.h"

namespace quibrant::install {

// The organisation whose signature every installer must carry, built in.
std::string vendorSigner();

// A file refused because it does not carry the vendor's signature. Its
// description is the message the user sees.
class UntrustedInstaller : public platform::Failure {
  public:
    using platform::Failure::Failure;
};

// Where the file being checked comes from, which decides what the user is told.
enum class Vetted { Downloaded, AtDestination };

// Throws UntrustedInstaller unless the file at `path` carries a valid
// signature of the vendor under a trusted root. A file that is not there at
// all throws an ordinary Failure, as a start of a missing program does.
// Returns the checked file as the system holds it (null when it holds none).
// `written`, when given, is the digest the file's bytes were fed to as they
// were written.
std::shared_ptr<platform::CheckedFile> requireVendorSignature(
    platform::SignatureCheck& check, const std::string& path, Vetted origin,
    const platform::WrittenDigest* written = nullptr);

// The Spanish reason shown for a fault, for the user and for support.
std::string refusalReason(const platform::SignatureReport& report);

// What the user reads when the file at `path` is refused for the fault
// `report` found: the refusal, then the reason on a line of its own.
std::string refusalMessage(Vetted origin, const std::string& path,
                           const platform::SignatureReport& report);

}  // namespace quibrant::install
