#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quibrant::win32 {

// An absolute http or https address, split the way WinINet's calls take it.
struct WinInetUrl {
    bool secure = false;
    std::wstring host;
    std::uint16_t port = 0;
    // Path and query, "/" at least.
    std::wstring target;
};

// The parts of `url` (UTF-8), an address the transfer has already checked and
// escaped; nothing when WinINet reads no http or https server in it.
std::optional<WinInetUrl> crackUrl(const std::string& url);

}  // namespace quibrant::win32
