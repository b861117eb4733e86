#pragma once

#include <cstdint>
#include <string>

namespace quibrant::platform {

// How many fresh names a service tries before it gives up; another name taken
// by chance is next to impossible, a second one means someone is guessing.
inline constexpr int kPartialFileAttempts = 16;

// "<destination>.<16 hex digits>.descarga": beside the destination, so that the
// final rename stays on one disk; the random part keeps anyone from placing
// something at the name in advance; the suffix tells what the file is to a
// user who finds one left by a program that was killed.
inline std::string partialFileName(const std::string& destination, std::uint64_t random) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = destination + ".";
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += kDigits[(random >> shift) & 0xF];
    }
    return name + ".descarga";
}

}  // namespace quibrant::platform
