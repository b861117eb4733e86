#pragma once

#include <string>
#include <string_view>

namespace quibrant::posix {

// Single-byte Windows text (code page 1252, the Western European one the
// program's ini files are written in) to UTF-8. The five bytes the code page
// leaves undefined stand for the control characters of the same value.
std::string windows1252ToUtf8(std::string_view text);

// UTF-8 to code page 1252; characters it cannot hold become `replacement`.
std::string utf8ToWindows1252(std::string_view text, char replacement = '?');

// UTF-8 to UTF-16 code units (host order); malformed input becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

// True when the text holds nothing but 7-bit characters.
bool isAscii(std::string_view text);

}  // namespace quibrant::posix
