#include "transfer/Login.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace quibrant::transfer {

bool offersBasic(const std::string& challenge) {
    std::string lower = challenge;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // "Basic" as a word of its own: not "NotBasic", not a realm's "basically".
    for (std::size_t at = lower.find("basic"); at != std::string::npos;
         at = lower.find("basic", at + 1)) {
        const bool startsWord = at == 0 || lower[at - 1] == ' ' || lower[at - 1] == ',';
        const std::size_t end = at + 5;
        const bool endsWord = end == lower.size() || lower[end] == ' ' || lower[end] == ',';
        if (startsWord && endsWord) {
            return true;
        }
    }
    return false;
}

std::string basicAuthorization(const std::string& user, const std::string& password) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string plain = user + ":" + password;
    std::string encoded;
    for (std::size_t i = 0; i < plain.size(); i += 3) {
        const std::size_t left = std::min<std::size_t>(3, plain.size() - i);
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 3; ++j) {
            group <<= 8;
            if (j < left) {
                group |= static_cast<unsigned char>(plain[i + j]);
            }
        }
        for (std::size_t j = 0; j < 4; ++j) {
            encoded += j <= left ? kAlphabet[(group >> (18 - 6 * j)) & 0x3F] : '=';
        }
    }
    return "Basic " + encoded;
}

}  // namespace quibrant::transfer
