#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "curl/TrustedAuthorities.h"
#include "transfer/Connection.h"

namespace quibrant::curl {

// One GET on one easy handle: the request as it goes out, and the answer's
// head as it comes in. Following a redirect, answering a login challenge or
// asking again for the rest of a body is a new CurlRequest with its own
// setup, so that each hop decides afresh what it sends and what it trusts.
class CurlRequest {
  public:
    // Where the events of the request go. Every call comes from inside
    // libcurl: record, never run events or notify from there.
    class Listener {
      public:
        virtual void onConnecting() = 0;
        virtual void onConnected() = 0;
        virtual void onAnswerStarted() = 0;
        virtual void onHeadersComplete() = 0;
        // Takes the bytes and returns their count, or CURL_WRITEFUNC_PAUSE.
        virtual std::size_t onBody(const char* data, std::size_t size) = 0;

      protected:
        ~Listener() = default;
    };

    struct Setup {
        std::string url;
        // Headers beside the ones every request carries, e.g. "Range: ...".
        std::vector<std::string> headers;
        // Takes the answer's head as it is even when its "Content-Length" is
        // not a number, so that the caller can say what was wrong with it;
        // the body then ends only when the server closes the connection.
        bool lenientLength = false;
        // Authorities trusted for this request's host besides the system's.
        std::vector<const CertificateAuthorities*> authorities;
    };

    CurlRequest(Setup setup, Listener& listener);
    ~CurlRequest();
    CurlRequest(const CurlRequest&) = delete;
    CurlRequest& operator=(const CurlRequest&) = delete;

    CURL* handle() const { return easy_.get(); }
    const Setup& setup() const { return setup_; }
    // The answer whose head is arriving or has arrived.
    const transfer::Answer& answer() const { return answer_; }
    bool headersComplete() const { return headersComplete_; }

  private:
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onWrite(char* data, std::size_t size, std::size_t count, void* self);
    static int onSocketOption(void* self, curl_socket_t socket, curlsocktype purpose);
    static int onPrerequest(void* self, char* remoteIp, char* localIp, int remotePort,
                            int localPort);
    static CURLcode onSslContext(CURL* easy, void* context, void* self);
    void readHeaderLine(std::string line);

    struct EasyCleanup {
        void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
    };
    struct ListCleanup {
        void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    };

    Setup setup_;
    Listener& listener_;
    transfer::Answer answer_;
    bool headersComplete_ = false;
    std::unique_ptr<curl_slist, ListCleanup> headers_;
    std::unique_ptr<CURL, EasyCleanup> easy_;
};

}  // namespace quibrant::curl
