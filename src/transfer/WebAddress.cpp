#include "transfer/WebAddress.h"

#include <cctype>

namespace quibrant::transfer {

namespace {

constexpr const char* kSchemeEnd = "://";
// The only scheme the program chooses itself: an address typed without one
// goes to the server over HTTPS, or nowhere.
constexpr const char* kDefaultScheme = "https://";
constexpr int kHttpPort = 80;
constexpr int kHttpsPort = 443;
constexpr int kLargestPort = 65535;

bool isSchemeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
}

std::string lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// "name:" at the start that is a scheme ("mailto:", "C:" of a Windows path)
// rather than the "host:port" of an address typed without one.
bool startsWithScheme(const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 ||
        std::isalpha(static_cast<unsigned char>(text[0])) == 0) {
        return false;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        if (!isSchemeChar(text[i])) {
            return false;
        }
    }
    return colon + 1 >= text.size() ||
           std::isdigit(static_cast<unsigned char>(text[colon + 1])) == 0;
}

// Bytes that may not travel raw in a request line become %XX; "%" itself is
// left alone, since the address may already be escaped.
std::string escape(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
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

bool validHostName(const std::string& host) {
    if (host.empty()) {
        return false;
    }
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']') {
            return false;
        }
        for (std::size_t i = 1; i + 1 < host.size(); ++i) {
            if (std::isxdigit(static_cast<unsigned char>(host[i])) == 0 && host[i] != ':' &&
                host[i] != '.') {
                return false;
            }
        }
        return true;
    }
    for (const char c : host) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '-' && c != '.' && c != '_') {
            return false;
        }
    }
    return true;
}

std::optional<int> portNumber(const std::string& digits) {
    if (digits.empty() || digits.size() > 5) {
        return std::nullopt;
    }
    int port = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > kLargestPort) {
        return std::nullopt;
    }
    return port;
}

// "scheme://authority/path?query", the fragment already gone.
std::optional<WebAddress> absolute(const std::string& text) {
    const std::size_t schemeEnd = text.find(kSchemeEnd);
    if (schemeEnd == std::string::npos) {
        return std::nullopt;
    }
    WebAddress address;
    address.scheme = lower(text.substr(0, schemeEnd));
    if (address.scheme != "http" && address.scheme != "https") {
        return std::nullopt;
    }
    const std::size_t authorityAt = schemeEnd + 3;
    const std::size_t targetAt = text.find_first_of("/?", authorityAt);
    std::string authority = text.substr(authorityAt, targetAt - authorityAt);
    // A user name in the address is never sent: the login is the transfer's
    // to give, to the main server only.
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        authority.erase(0, at + 1);
    }
    const std::size_t close = authority.rfind(']');
    const std::size_t colon = authority.rfind(':');
    address.port = address.secure() ? kHttpsPort : kHttpPort;
    if (colon != std::string::npos && (close == std::string::npos || colon > close)) {
        const std::optional<int> port = portNumber(authority.substr(colon + 1));
        if (!port) {
            return std::nullopt;
        }
        address.port = *port;
        authority.erase(colon);
    }
    address.host = lower(authority);
    if (!validHostName(address.host)) {
        return std::nullopt;
    }
    address.target = targetAt == std::string::npos ? "/" : escape(text.substr(targetAt));
    if (address.target.front() == '?') {
        address.target.insert(0, "/");
    }
    const int defaultPort = address.secure() ? kHttpsPort : kHttpPort;
    address.url = address.scheme + kSchemeEnd + address.host +
                  (address.port == defaultPort ? "" : ":" + std::to_string(address.port)) +
                  address.target;
    return address;
}

// The path with its "." and ".." segments worked out, as a browser does.
std::string withoutDotSegments(const std::string& path) {
    std::string out;
    std::size_t at = 0;
    while (at < path.size()) {
        std::size_t end = path.find('/', at + 1);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string segment = path.substr(at, end - at);
        if (segment == "/.") {
            if (end == path.size()) {
                out += '/';
            }
        } else if (segment == "/..") {
            const std::size_t last = out.rfind('/');
            out.erase(last == std::string::npos ? 0 : last);
            if (end == path.size()) {
                out += '/';
            }
        } else {
            out += segment;
        }
        at = end;
    }
    return out.empty() ? "/" : out;
}

std::string withoutFragment(const std::string& text) {
    return text.substr(0, text.find('#'));
}

}  // namespace

std::optional<WebAddress> WebAddress::parse(const std::string& text) {
    std::string address = withoutFragment(text);
    // A line break could smuggle a header of its own into the request.
    if (address.empty() || address.find_first_of("\r\n") != std::string::npos) {
        return std::nullopt;
    }
    if (address.find(kSchemeEnd) == std::string::npos) {
        if (address[0] == '/' || address[0] == '\\' || startsWithScheme(address)) {
            return std::nullopt;
        }
        address = kDefaultScheme + address;
    }
    return absolute(address);
}

std::optional<WebAddress> WebAddress::resolve(const std::string& location) const {
    std::string relative = withoutFragment(location);
    if (relative.find_first_of("\r\n") != std::string::npos) {
        return std::nullopt;
    }
    const std::size_t first = relative.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    relative = relative.substr(first, relative.find_last_not_of(" \t") - first + 1);
    if (startsWithScheme(relative)) {
        return absolute(relative);
    }
    if (relative.rfind("//", 0) == 0) {
        return absolute(scheme + ":" + relative);
    }
    const std::string origin = url.substr(0, url.size() - target.size());
    const std::size_t queryAt = target.find('?');
    const std::string path = target.substr(0, queryAt);
    std::string joined;
    if (relative[0] == '/') {
        joined = relative;
    } else if (relative[0] == '?') {
        joined = path + relative;
    } else {
        joined = path.substr(0, path.rfind('/') + 1) + relative;
    }
    const std::size_t joinedQuery = joined.find('?');
    const std::string joinedPath = withoutDotSegments(joined.substr(0, joinedQuery));
    return absolute(origin + joinedPath +
                    (joinedQuery == std::string::npos ? "" : joined.substr(joinedQuery)));
}

}  // namespace quibrant::transfer
