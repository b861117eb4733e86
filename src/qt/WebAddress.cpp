#include "qt/WebAddress.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace quibrant::qt {

namespace {

struct UrlCleanup {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using Url = std::unique_ptr<CURLU, UrlCleanup>;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<std::string> part(const Url& url, CURLUPart which, unsigned int flags = 0) {
    char* text = nullptr;
    if (curl_url_get(url.get(), which, &text, flags) != CURLUE_OK || text == nullptr) {
        return std::nullopt;
    }
    std::string value(text);
    curl_free(text);
    return value;
}

std::optional<WebAddress> addressOf(const Url& url) {
    const std::optional<std::string> whole = part(url, CURLUPART_URL);
    const std::optional<std::string> scheme = part(url, CURLUPART_SCHEME);
    const std::optional<std::string> host = part(url, CURLUPART_HOST);
    const std::optional<std::string> port = part(url, CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (!whole || !scheme || !host || !port || host->empty()) {
        return std::nullopt;
    }
    WebAddress address{*whole, lower(*scheme), lower(*host), std::stol(*port)};
    if (address.scheme != "http" && address.scheme != "https") {
        return std::nullopt;
    }
    return address;
}

// libcurl reads "https:///path" as if the first part of the path were the
// host; such an address names no server.
bool namesServer(const std::string& text) {
    const std::size_t slashes = text.find("://");
    return slashes != std::string::npos && text.compare(slashes, 4, ":///") != 0;
}

}  // namespace

std::optional<WebAddress> WebAddress::parse(const std::string& text) {
    const Url url(curl_url());
    if (!url || !namesServer(text) ||
        curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    return addressOf(url);
}

std::optional<WebAddress> WebAddress::resolve(const std::string& location) const {
    const Url url(curl_url());
    if (!url || location.empty() ||
        curl_url_set(url.get(), CURLUPART_URL, this->url.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, location.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    return addressOf(url);
}

bool WebAddress::sameHost(const WebAddress& other) const {
    return host == other.host;
}

bool WebAddress::sameOrigin(const WebAddress& other) const {
    return scheme == other.scheme && host == other.host && port == other.port;
}

}  // namespace quibrant::qt
