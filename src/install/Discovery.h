#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace quibrant::install {

// The folder proposed for the installer: the setup folder of an installed copy
// of the product, found on the machine's drives through that copy's ini file
// (and created when missing), or the system drive's root when there is none.
// Discovery only proposes a default: once the root is known, whatever fails
// leaves the root as the answer, silently. Throws Failure only when the root
// itself cannot be had.
std::string findInstallFolder(platform::FileSystem& fs);

}  // namespace quibrant::install
