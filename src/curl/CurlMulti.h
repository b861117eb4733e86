#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <curl/curl.h>

#include <functional>
#include <map>
#include <memory>

namespace quibrant::curl {

// libcurl's multi interface driven by the window's own event loop: a socket
// notifier for every socket libcurl watches and one timer for the time-outs
// it asks for. No thread of its own, and nothing here ever blocks.
//
// libcurl must never be entered again from inside one of its callbacks, and
// a callback must never run the window's events: work that arrives while
// libcurl runs waits until it has returned.
class CurlMulti {
  public:
    // Called, outside libcurl, for each transfer that has ended.
    using DoneHandler = std::function<void(CURL* easy, CURLcode result)>;

    explicit CurlMulti(DoneHandler onDone);
    ~CurlMulti();
    CurlMulti(const CurlMulti&) = delete;
    CurlMulti& operator=(const CurlMulti&) = delete;

    void add(CURL* easy);
    // Stops the transfer; the caller may clean the handle up afterwards.
    void remove(CURL* easy);
    // Lets a transfer paused by its write callback go on.
    void resume(CURL* easy);
    // True while libcurl runs, i.e. inside one of its callbacks.
    bool inside() const { return depth_ > 0; }

  private:
    struct DeleteLater {
        void operator()(QSocketNotifier* notifier) const;
    };
    using Notifier = std::unique_ptr<QSocketNotifier, DeleteLater>;
    struct Watch {
        Notifier read;
        Notifier write;
    };

    static CURLM* start();
    static int onSocket(CURL* easy, curl_socket_t socket, int what, void* self, void* socketData);
    static int onTimer(CURLM* multi, long timeoutMs, void* self);
    void watch(curl_socket_t socket, int what);
    Notifier notifier(curl_socket_t socket, QSocketNotifier::Type type, int event);
    // Hands libcurl an event of `socket` (or its time-out), then reports the
    // transfers that ended.
    void act(curl_socket_t socket, int events);
    void reportEnded();

    struct Cleanup {
        void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
    };

    DoneHandler onDone_;
    QTimer timer_;
    std::map<curl_socket_t, Watch> watches_;
    int depth_ = 0;
    // Last, so that it goes first: its cleanup may still ask to unwatch
    // sockets.
    std::unique_ptr<CURLM, Cleanup> multi_;
};

}  // namespace quibrant::curl
