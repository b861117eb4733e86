#pragma once

#include <algorithm>
#include <string>

#include "platform/Paths.h"

namespace quibrant::test {

// Tests write folders with "/"; the program sees them with its own separator,
// so the same cases hold on every platform.
inline std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '/', platform::kSep);
    return path;
}

}  // namespace quibrant::test
