#include "platform/Text.h"

namespace quibrant::platform {

namespace {
// UTF-8 lead byte of U+00C0..U+00FF, and the continuation bytes of the
// lower-case letters among them, which lie 0x20 above their capitals.
constexpr unsigned char kLatin1Lead = 0xC3;
constexpr unsigned char kFirstSmallLetter = 0xA0;
constexpr unsigned char kLastSmallLetter = 0xBE;
constexpr unsigned char kDivisionSign = 0xB7;
constexpr unsigned char kCaseDistance = 0x20;

std::string trimmed(const std::string& text, const char* blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
}  // namespace

std::string upperCase(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 'a' && c <= 'z') {
            text[i] = static_cast<char>(c - ('a' - 'A'));
        } else if (c == kLatin1Lead && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= kFirstSmallLetter && next <= kLastSmallLetter && next != kDivisionSign) {
                text[i + 1] = static_cast<char>(next - kCaseDistance);
            }
            ++i;
        }
    }
    return text;
}

std::string trimSpaces(const std::string& text) {
    return trimmed(text, " ");
}

std::string trimBlanks(const std::string& text) {
    return trimmed(text, " \t");
}

}  // namespace quibrant::platform
