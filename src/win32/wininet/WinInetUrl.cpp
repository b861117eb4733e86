#include "win32/wininet/WinInetUrl.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cctype>
#include <cwctype>

#include "win32/services/Utf16.h"

namespace quibrant::win32 {
namespace {

constexpr const char* kDefaultScheme = "http://";

bool isSchemeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
}

// "name:" at the start that is a scheme rather than "host:port".
bool startsWithOtherScheme(const std::string& url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0 ||
        std::isalpha(static_cast<unsigned char>(url[0])) == 0) {
        return false;
    }
    if (!std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(colon), isSchemeChar)) {
        return false;
    }
    return colon + 1 >= url.size() || std::isdigit(static_cast<unsigned char>(url[colon + 1])) == 0;
}

// Bytes that may not travel raw in a request line become %XX; "%" itself is
// left alone, since the address may already be escaped.
std::string escape(const std::string& url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(url.size());
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' ||
            c == '^' || c == '`' || c == '{' || c == '|' || c == '}') {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<WebUrl> crack(const std::wstring& text) {
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
    WebUrl url;
    url.text = text;
    url.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    url.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    std::transform(url.host.begin(), url.host.end(), url.host.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    url.port = parts.nPort;
    if (parts.lpszUrlPath != nullptr) {
        url.target.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    }
    if (url.target.empty()) {
        url.target = L"/";
    }
    if (parts.lpszExtraInfo != nullptr) {
        url.target.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    }
    return url;
}

}  // namespace

std::optional<WebUrl> parseWebUrl(const std::string& url) {
    std::string text = url.substr(0, url.find('#'));
    if (text.empty() || text.find_first_of("\r\n") != std::string::npos) {
        return std::nullopt;
    }
    if (text.find("://") == std::string::npos) {
        // A local path or another scheme ("file:", "mailto:") is no web address.
        if (text[0] == '/' || text[0] == '\\' || startsWithOtherScheme(text)) {
            return std::nullopt;
        }
        text = kDefaultScheme + text;
    }
    return crack(widen(escape(text)));
}

std::optional<WebUrl> resolveLocation(const WebUrl& base, const std::string& location) {
    const std::wstring relative = widen(escape(location.substr(0, location.find('#'))));
    DWORD size = 0;
    InternetCombineUrlW(base.text.c_str(), relative.c_str(), nullptr, &size, ICU_NO_ENCODE);
    if (size == 0) {
        return std::nullopt;
    }
    std::wstring combined(size, L'\0');
    if (!InternetCombineUrlW(base.text.c_str(), relative.c_str(), combined.data(), &size,
                             ICU_NO_ENCODE)) {
        return std::nullopt;
    }
    combined.resize(size);
    return crack(combined);
}

bool sameOrigin(const WebUrl& first, const WebUrl& second) {
    return first.secure == second.secure && first.host == second.host && first.port == second.port;
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

bool offersBasic(const std::string& challenge) {
    std::string lower = challenge;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
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

}  // namespace quibrant::win32
