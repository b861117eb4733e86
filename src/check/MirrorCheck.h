#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/InternetTransfer.h"
#include "platform/SignatureCheck.h"
#include "source/AccessCodeTable.h"
#include "source/ServerConfig.h"

namespace quibrant::check {

// What the check runs on: the program's server settings and code table, and
// the system's transfer, signature check and files.
struct CheckSetup {
    ServerConfig server;
    const AccessCodeTable* codes = nullptr;
    // The organisation every installer must be signed by.
    std::string signer;
    platform::InternetTransfer* inet = nullptr;
    platform::SignatureCheck* signatures = nullptr;
    platform::FileSystem* files = nullptr;
};

// How the check ends, as its exit status.
enum ExitStatus : int {
    kAllAccepted = 0,
    kSomeRefused = 1,
    // A wrong command line, or the check could not run or write its result.
    kCannotCheck = 2,
    // Stopped by a signal (Ctrl-C) before the end: no result is written.
    kInterrupted = 130,
};

// The vendor's check of its own server, `quibrant-comprobar [--json]`: fetches
// every target the access codes lead to as the program would, writes one row
// per target to `out` (JSON with --json) and its progress to `err`, redrawn
// in place when `err` is a terminal. Runs Qt's event loop meanwhile.
int runMirrorCheck(const std::vector<std::string>& arguments, const CheckSetup& setup,
                   std::ostream& out, std::ostream& err, bool errIsTerminal);

}  // namespace quibrant::check
