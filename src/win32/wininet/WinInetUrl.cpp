#include "win32/wininet/WinInetUrl.h"

#include <windows.h>
#include <wininet.h>

#include "win32/services/Utf16.h"

namespace quibrant::win32 {

std::optional<WinInetUrl> crackUrl(const std::string& url) {
    // A line break would end the request line and start a header of its own.
    if (url.find_first_of("\r\n") != std::string::npos) {
        return std::nullopt;
    }
    const std::wstring text = widen(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    // Non-zero lengths with no buffers: WinINet points into `text`.
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(text.c_str(), static_cast<DWORD>(text.size()), 0, &parts)) {
        return std::nullopt;
    }
    if ((parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) ||
        parts.lpszHostName == nullptr || parts.dwHostNameLength == 0) {
        return std::nullopt;
    }
    WinInetUrl cracked;
    cracked.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    cracked.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    cracked.port = parts.nPort;
    if (parts.lpszUrlPath != nullptr) {
        cracked.target.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    }
    if (cracked.target.empty()) {
        cracked.target = L"/";
    }
    if (parts.lpszExtraInfo != nullptr) {
        cracked.target.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    }
    return cracked;
}

}  // namespace quibrant::win32
