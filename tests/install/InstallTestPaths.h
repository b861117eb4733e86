#pragma once

#include <initializer_list>
#include <string>

#include "platform/Paths.h"

namespace quibrant::test {

// Joins names with the platform separator: joinPath({"c:", "Quibrant7"}).
inline std::string joinPath(std::initializer_list<std::string> names) {
    std::string out;
    bool first = true;
    for (const std::string& name : names) {
        if (!first) {
            out += platform::kSep;
        }
        out += name;
        first = false;
    }
    return out;
}

}  // namespace quibrant::test
