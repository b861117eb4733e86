#pragma once

#include <string>

#include "source/AccessCodeTable.h"

namespace quibrant::source {

// What an access code leads to: the build category it grants (0 for none),
// whether it is accepted, and the installer to fetch.
struct AccessCodeResult {
    float category = 0;
    bool accepted = false;
    std::string fileName;
    std::string folder;
};

// A code as it is compared: in upper case.
std::string normalizeCode(const std::string& code);

// Evaluates the text typed into the code box against the table. Blanks are
// not trimmed, every entry is compared and the last match decides; a code
// without a target of its own gets the default file at `serverBaseUrl`, the
// root of the server in use, while the other targets sit in folders of the
// main server.
AccessCodeResult evaluateAccessCode(const std::string& typed, const AccessCodeTable& table,
                                    const std::string& mainServerBaseUrl,
                                    const std::string& serverBaseUrl);

}  // namespace quibrant::source
