#pragma once

#include <string>

namespace quibrant::test {

// What a saved shortcut file holds, read back by the system's own reader,
// paths as Windows writes them.
struct LinkContents {
    bool loaded = false;
    std::string target;
    std::string workingDirectory;
    std::string arguments;
    std::string iconPath;
    int iconIndex = -1;
};

}  // namespace quibrant::test
