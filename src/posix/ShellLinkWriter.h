#pragma once

#include <cstdint>
#include <string>

namespace quibrant::posix {

// What a Windows shell link (.lnk) records about the file it points to.
// Strings are UTF-8; paths are in Windows form ("C:\Carpeta\Archivo.exe").
struct ShellLinkTarget {
    std::string path;
    bool isFolder = false;
    std::uint64_t size = 0;
    // Seconds since 1970-01-01 UTC; 0 when unknown.
    std::int64_t creationTime = 0;
    std::int64_t accessTime = 0;
    std::int64_t writeTime = 0;
};

struct ShellLink {
    ShellLinkTarget target;
    std::string workingDirectory;
    std::string arguments;
    std::string iconLocation;
    std::int32_t iconIndex = 0;
};

// The bytes of a shell link file in the published Windows format: the header,
// the target as an item ID list (computer, drive, one entry per folder and the
// file), the link information with the local path, and the working directory,
// arguments and icon location as Unicode strings. Empty strings are left out.
// A target that is not a drive path gets neither the ID list nor the link
// information. Throws Failure when a part is too long for the format's
// 16-bit sizes.
std::string shellLinkBytes(const ShellLink& link);

}  // namespace quibrant::posix
