#include "transfer/Connection.h"

#include <algorithm>
#include <cctype>

namespace quibrant::transfer {

std::string Answer::header(const std::string& name) const {
    const auto sameName = [&name](const std::string& key) {
        return key.size() == name.size() &&
               std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) ==
                          std::tolower(static_cast<unsigned char>(b));
               });
    };
    std::string value;
    bool found = false;
    for (const auto& [key, text] : headers) {
        if (sameName(key)) {
            value += (found ? ", " : "") + text;
            found = true;
        }
    }
    return value;
}

}  // namespace quibrant::transfer
