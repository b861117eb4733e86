// Prints, one a line, the path below the server's root of every installer the
// access codes can lead to: the table's targets, then the default one, which
// sits at the root. Read by scripts that build a mirror of the server, so the
// list is never copied out of the core.
#include <iostream>

#include "source/DownloadTargets.h"

int main() {
    for (const auto& target : quibrant::downloadTargetTable()) {
        std::cout << (target.folder != nullptr ? target.folder : "") << target.fileName << '\n';
    }
    std::cout << quibrant::kDefaultTargetFileName << '\n';
    std::cout.flush();
    return std::cout.good() ? 0 : 1;
}
