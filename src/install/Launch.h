#pragma once

#include <memory>
#include <string>

#include "platform/Failure.h"
#include "platform/Process.h"
#include "platform/SignatureCheck.h"

namespace quibrant::install {

// Starts the installer at `destination` from its own folder, so that it finds
// its files beside it and inherits that folder as its working directory: the
// drive and directory change to the part up to the last separator, and the
// rest is started. A path without a separator is started as it is. Right
// before the start the file must show the vendor's signature; one that does
// not throws UntrustedInstaller (install/Signature.h) and nothing starts.
// `checked`, when given, is that file as a check has just held it (after a
// download): it is not read again. What starts is the file that was checked;
// one replaced under its name meanwhile is checked again from the start, and
// refused if it changes once more. Throws Failure when any other step fails;
// the program does not wait for the installer.
void startInstaller(platform::Process& process, platform::SignatureCheck& signatures,
                    const std::string& destination,
                    std::shared_ptr<platform::CheckedFile> checked = nullptr);

// What the user reads when the installer at `destination` was replaced again
// after its second check, and so did not start.
std::string replacedWhileCheckedMessage(const std::string& destination);

// Whether a failure of startInstaller names its own cause, one the user can
// remedy, rather than the system's refusal to start the installer from here.
bool startFailureNamesItsCause(const platform::Failure& failure);

}  // namespace quibrant::install
