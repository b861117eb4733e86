#pragma once

#include <string_view>
#include <vector>

namespace quibrant {

// One access code and the build category it grants.
struct AccessCodeEntry {
    std::string_view code;
    float category;
};

using AccessCodeTable = std::vector<AccessCodeEntry>;

// The table built into the program, in its fixed order.
const AccessCodeTable& builtInAccessCodeTable();

}  // namespace quibrant
