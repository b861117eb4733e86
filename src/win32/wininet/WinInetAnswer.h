#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>
#include <utility>
#include <vector>

namespace quibrant::win32 {

// A server's answer to one request: its status line and headers.
struct WinInetAnswer {
    // 0 when no status line came at all.
    int status = 0;
    // A header sent more than once appears once, its values joined by ", ".
    std::vector<std::pair<std::string, std::string>> headers;
};

// The answer WinINet holds for `request` once its send has returned.
WinInetAnswer readAnswer(HINTERNET request);

// The value of the header `name`, compared without regard to case; "" when
// the answer does not carry it.
std::string headerOf(const WinInetAnswer& answer, const std::string& name);

bool equalHeaderNames(const std::string& first, const std::string& second);

}  // namespace quibrant::win32
