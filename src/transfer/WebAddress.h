#pragma once

#include <optional>
#include <string>

namespace quibrant::transfer {

// An absolute http or https address, read the same way on every system, and
// the parts the transfer decides by: where the login and extra trust may go,
// and whether a redirect stays secure.
struct WebAddress {
    // The whole address as it is requested: scheme and host in lower case,
    // no user name or fragment, unsafe bytes escaped as %XX.
    std::string url;
    std::string scheme;
    // Lower case; an IPv6 address keeps its brackets.
    std::string host;
    int port = 0;
    // Path and query, "/" at least.
    std::string target;

    // The address `text` names, or nothing when it names no http or https
    // server. An address without a scheme ("www.example.com/file") is taken
    // as https, the only scheme the program asks for by itself; a local path
    // or another scheme ("file:", "C:\...", "mailto:") is no web address.
    static std::optional<WebAddress> parse(const std::string& text);
    // Where a redirect's "Location" leads from here: relative locations are
    // resolved against this address. Nothing when it leads to no http or
    // https server.
    std::optional<WebAddress> resolve(const std::string& location) const;

    bool secure() const { return scheme == "https"; }
    bool sameHost(const WebAddress& other) const { return host == other.host; }
    bool sameOrigin(const WebAddress& other) const {
        return scheme == other.scheme && host == other.host && port == other.port;
    }
};

}  // namespace quibrant::transfer
