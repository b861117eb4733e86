#pragma once

#include <cstdint>

namespace quibrant {

// Booleans the form keeps are 16-bit values, -1 for true and 0 for false.
using Boolean16 = std::int16_t;
inline constexpr Boolean16 kTrue = -1;
inline constexpr Boolean16 kFalse = 0;

inline constexpr Boolean16 toBoolean16(bool value) {
    return value ? kTrue : kFalse;
}

}  // namespace quibrant
