#pragma once

#include <optional>
#include <string>

namespace quibrant::qt {

// An http or https address as libcurl reads it, and the parts the transfer
// decides by: where credentials and extra trust may go, and whether a
// redirect stays secure.
struct WebAddress {
    // The whole address, normalised by libcurl.
    std::string url;
    std::string scheme;
    std::string host;
    long port = 0;

    // Nothing when `text` is not an absolute http or https address with a host.
    static std::optional<WebAddress> parse(const std::string& text);
    // A redirect's "Location", absolute or relative to this address.
    std::optional<WebAddress> resolve(const std::string& location) const;

    bool secure() const { return scheme == "https"; }
    bool sameHost(const WebAddress& other) const;
    bool sameOrigin(const WebAddress& other) const;
};

}  // namespace quibrant::qt
