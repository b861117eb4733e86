#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quibrant::win32 {

// An absolute http or https address, split the way WinINet wants it.
struct WebUrl {
    // The whole address as requested: escaped, without its fragment.
    std::wstring text;
    bool secure = false;
    // Lower case, so that origins compare as the user means them.
    std::wstring host;
    std::uint16_t port = 0;
    // Path and query, never empty ("/" at least).
    std::wstring target;
};

// The address of `url` (UTF-8) when it names an http or https resource; an
// address typed without a scheme ("www.example.com/file") is taken as http,
// as a browser would. Spaces and non-ASCII characters are percent-escaped.
std::optional<WebUrl> parseWebUrl(const std::string& url);

// Where a redirect's "Location" leads from `base`: relative locations are
// resolved against it. Nothing when it is no http or https address.
std::optional<WebUrl> resolveLocation(const WebUrl& base, const std::string& location);

// Same scheme, host and port.
bool sameOrigin(const WebUrl& first, const WebUrl& second);

// The value of an "Authorization" header for HTTP Basic authentication.
std::string basicAuthorization(const std::string& user, const std::string& password);

// Whether an "WWW-Authenticate" value offers the Basic scheme.
bool offersBasic(const std::string& challenge);

}  // namespace quibrant::win32
