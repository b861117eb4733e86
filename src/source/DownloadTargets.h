#pragma once

#include <string>
#include <vector>

namespace quibrant {

// Where the installer of a build category is fetched from: the remote file name
// and the folder it sits in on the main server.
struct DownloadTarget {
    float category;
    const char* fileName;
    // Folder below the main server's root, e.g. "clientes/actual/"; null for
    // targets at the root of the server in use.
    const char* folder;
};

// The targets in the order in which they are tested.
const std::vector<DownloadTarget>& downloadTargetTable();

// The target of every category without a row of its own.
inline constexpr const char* kDefaultTargetFileName = "Quibrant_Update.exe";

}  // namespace quibrant
