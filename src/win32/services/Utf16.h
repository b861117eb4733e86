#pragma once

#include <string>
#include <string_view>

namespace quibrant::win32 {

// The core speaks UTF-8; the Windows API speaks UTF-16. These convert at the
// boundary. Invalid sequences become U+FFFD rather than failing, so a damaged
// name still reaches the user readable.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace quibrant::win32
