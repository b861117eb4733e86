#include "curl/CurlMulti.h"

#include <new>

namespace quibrant::curl {

namespace {

// Counts the depth of calls into libcurl for the lifetime of the object.
class Inside {
  public:
    explicit Inside(int& depth) : depth_(depth) { ++depth_; }
    ~Inside() { --depth_; }
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;

  private:
    int& depth_;
};

}  // namespace

void CurlMulti::DeleteLater::operator()(QSocketNotifier* notifier) const {
    // libcurl closes the socket next: a notifier left watching it until it
    // goes would watch a closed descriptor.
    notifier->setEnabled(false);
    // It may be the one whose signal is being delivered right now.
    notifier->deleteLater();
}

CURLM* CurlMulti::start() {
    // libcurl's global set-up is not safe to race with other threads; the
    // first component does it, on the window's thread, once for the program.
    static const CURLcode globalSetUp = curl_global_init(CURL_GLOBAL_DEFAULT);
    return globalSetUp == CURLE_OK ? curl_multi_init() : nullptr;
}

CurlMulti::CurlMulti(DoneHandler onDone) : onDone_(std::move(onDone)), multi_(start()) {
    if (!multi_) {
        throw std::bad_alloc();
    }
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
    curl_multi_setopt(multi_.get(), CURLMOPT_SOCKETFUNCTION, &CurlMulti::onSocket);
    curl_multi_setopt(multi_.get(), CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi_.get(), CURLMOPT_TIMERFUNCTION, &CurlMulti::onTimer);
    curl_multi_setopt(multi_.get(), CURLMOPT_TIMERDATA, this);
}

CurlMulti::~CurlMulti() {
    const Inside inside(depth_);
    multi_.reset();
    watches_.clear();
}

void CurlMulti::add(CURL* easy) {
    const Inside inside(depth_);
    curl_multi_add_handle(multi_.get(), easy);
}

void CurlMulti::remove(CURL* easy) {
    const Inside inside(depth_);
    curl_multi_remove_handle(multi_.get(), easy);
}

void CurlMulti::resume(CURL* easy) {
    {
        // Unpausing may hand the held-back data to the write callback at once.
        const Inside inside(depth_);
        curl_easy_pause(easy, CURLPAUSE_CONT);
    }
    reportEnded();
}

int CurlMulti::onSocket(CURL* /*easy*/, curl_socket_t socket, int what, void* self,
                        void* /*socketData*/) {
    static_cast<CurlMulti*>(self)->watch(socket, what);
    return 0;
}

int CurlMulti::onTimer(CURLM* /*multi*/, long timeoutMs, void* self) {
    QTimer& timer = static_cast<CurlMulti*>(self)->timer_;
    if (timeoutMs < 0) {
        timer.stop();
    } else {
        // Even "now" goes through the event loop: libcurl is running.
        timer.start(static_cast<int>(timeoutMs));
    }
    return 0;
}

void CurlMulti::watch(curl_socket_t socket, int what) {
    if (what == CURL_POLL_REMOVE) {
        watches_.erase(socket);
        return;
    }
    Watch& watch = watches_[socket];
    const bool read = what == CURL_POLL_IN || what == CURL_POLL_INOUT;
    const bool write = what == CURL_POLL_OUT || what == CURL_POLL_INOUT;
    if (read && !watch.read) {
        watch.read = notifier(socket, QSocketNotifier::Read, CURL_CSELECT_IN);
    }
    if (write && !watch.write) {
        watch.write = notifier(socket, QSocketNotifier::Write, CURL_CSELECT_OUT);
    }
    if (watch.read) {
        watch.read->setEnabled(read);
    }
    if (watch.write) {
        watch.write->setEnabled(write);
    }
}

CurlMulti::Notifier CurlMulti::notifier(curl_socket_t socket, QSocketNotifier::Type type,
                                        int event) {
    Notifier notifier(std::make_unique<QSocketNotifier>(socket, type).release());
    QObject::connect(notifier.get(), &QSocketNotifier::activated,
                     [this, socket, event] { act(socket, event); });
    return notifier;
}

void CurlMulti::act(curl_socket_t socket, int events) {
    if (inside()) {
        // Not expected, as nothing inside libcurl runs events; should it
        // happen, the timer brings the event back once libcurl has returned.
        timer_.start(0);
        return;
    }
    {
        const Inside inside(depth_);
        int running = 0;
        curl_multi_socket_action(multi_.get(), socket, events, &running);
    }
    reportEnded();
}

void CurlMulti::reportEnded() {
    if (inside()) {
        return;
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
        if (message->msg == CURLMSG_DONE) {
            // The handler may remove this handle and add another.
            onDone_(message->easy_handle, message->data.result);
        }
    }
}

}  // namespace quibrant::curl
