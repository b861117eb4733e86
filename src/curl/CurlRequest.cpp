#include "curl/CurlRequest.h"

#include <openssl/ssl.h>

#include <algorithm>
#include <new>

#include "platform/Text.h"

namespace quibrant::curl {

namespace {

// The installer is saved byte for byte as the server holds it, and its
// "Content-Length" must count the bytes that we are handed.
constexpr const char* kNoCompression = "Accept-Encoding: identity";
// What the program has always sent; some servers turn away a request that
// names no browser.
constexpr const char* kUserAgent = "Mozilla/5.0";
constexpr const char* kProtocols = "http,https";

}  // namespace

CurlRequest::CurlRequest(Setup setup, Listener& listener)
    : setup_(std::move(setup)), listener_(listener), easy_(curl_easy_init()) {
    if (!easy_) {
        throw std::bad_alloc();
    }
    CURL* easy = easy_.get();
    curl_easy_setopt(easy, CURLOPT_URL, setup_.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // One plain HTTP/1.1 stream; a single file gains nothing from HTTP/2.
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    // Redirects and login challenges are decided hop by hop by the caller,
    // which knows where credentials and extra trust may go.
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, setup_.lenientLength ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    // Certificates are always checked, against the system's authorities and
    // the extra ones this host may trust.
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!setup_.authorities.empty()) {
        // A store cached across connections would carry these authorities
        // over to hosts that must not trust them.
        curl_easy_setopt(easy, CURLOPT_CA_CACHE_TIMEOUT, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &CurlRequest::onSslContext);
        curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, this);
    }
    // A proxy's own answer to CONNECT is not the server's.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

    curl_slist* list = curl_slist_append(nullptr, kNoCompression);
    for (const std::string& header : setup_.headers) {
        if (list != nullptr) {
            list = curl_slist_append(list, header.c_str());
        }
    }
    headers_.reset(list);
    if (!headers_) {
        throw std::bad_alloc();
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers_.get());

    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlRequest::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlRequest::onWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, &CurlRequest::onSocketOption);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &CurlRequest::onPrerequest);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
}

CurlRequest::~CurlRequest() = default;

std::size_t CurlRequest::onHeader(char* data, std::size_t size, std::size_t count, void* self) {
    static_cast<CurlRequest*>(self)->readHeaderLine(std::string(data, size * count));
    return size * count;
}

void CurlRequest::readHeaderLine(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    if (line.rfind("HTTP/", 0) == 0) {
        // A new answer (after a "100 Continue", or the first): "HTTP/1.1 200 OK".
        answer_ = transfer::Answer{};
        headersComplete_ = false;
        const std::size_t codeAt = line.find(' ');
        if (codeAt != std::string::npos) {
            const std::size_t codeEnd = line.find(' ', codeAt + 1);
            const std::string code = line.substr(codeAt + 1, codeEnd - codeAt - 1);
            if (code.size() == 3 && std::all_of(code.begin(), code.end(),
                                                [](char c) { return c >= '0' && c <= '9'; })) {
                answer_.status = std::stoi(code);
            }
        }
        listener_.onAnswerStarted();
        return;
    }
    if (line.empty()) {
        headersComplete_ = true;
        listener_.onHeadersComplete();
        return;
    }
    if ((line.front() == ' ' || line.front() == '\t') && !answer_.headers.empty()) {
        // A value folded onto the next line goes on the same header.
        answer_.headers.back().second += " " + platform::trimBlanks(line);
        return;
    }
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
        answer_.headers.emplace_back(line.substr(0, colon),
                                     platform::trimBlanks(line.substr(colon + 1)));
    }
}

std::size_t CurlRequest::onWrite(char* data, std::size_t size, std::size_t count, void* self) {
    return static_cast<CurlRequest*>(self)->listener_.onBody(data, size * count);
}

int CurlRequest::onSocketOption(void* self, curl_socket_t /*socket*/, curlsocktype purpose) {
    if (purpose == CURLSOCKTYPE_IPCXN) {
        static_cast<CurlRequest*>(self)->listener_.onConnecting();
    }
    return CURL_SOCKOPT_OK;
}

int CurlRequest::onPrerequest(void* self, char* /*remoteIp*/, char* /*localIp*/, int /*remotePort*/,
                              int /*localPort*/) {
    static_cast<CurlRequest*>(self)->listener_.onConnected();
    return CURL_PREREQFUNC_OK;
}

CURLcode CurlRequest::onSslContext(CURL* /*easy*/, void* context, void* self) {
    for (const CertificateAuthorities* authorities :
         static_cast<CurlRequest*>(self)->setup_.authorities) {
        authorities->addTo(static_cast<SSL_CTX*>(context));
    }
    return CURLE_OK;
}

}  // namespace quibrant::curl
