#include "curl/CurlConnection.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <utility>

#include "curl/CurlFaults.h"
#include "platform/InternetTransfer.h"
#include "transfer/WebAddress.h"

namespace quibrant::curl {

namespace {

using State = platform::InternetTransfer::State;

// Not a state number: the news that an answer arrived or the request ended.
constexpr std::int16_t kNews = 0;
// Large enough to keep the connection busy, small enough to keep memory
// flat; far above the 16 KiB libcurl hands over at a time.
constexpr std::size_t kBufferSize = 512 * 1024;

std::string hostOf(const std::string& url) {
    const std::optional<transfer::WebAddress> address = transfer::WebAddress::parse(url);
    return address ? address->host : "";
}

}  // namespace

CurlConnection::CurlConnection(const std::string& mainServerBaseUrl,
                               const TrustedAuthorities& authorities)
    : multi_(std::make_unique<CurlMulti>(
          [this](CURL* easy, CURLcode result) { onDone(easy, result); })),
      mainServerHost_(hostOf(mainServerBaseUrl)),
      everyHost_(authorities.everyHostPem),
      mainServerOnly_(authorities.mainServerPem) {}

CurlConnection::~CurlConnection() {
    wake();
    stop();
}

void CurlConnection::start(const transfer::ConnectionRequest& request) {
    stop();
    CurlRequest::Setup setup;
    setup.url = request.url;
    for (const auto& [name, value] : request.headers) {
        setup.headers.push_back(name + ": " + value);
    }
    if (!everyHost_.empty()) {
        setup.authorities.push_back(&everyHost_);
    }
    if (!mainServerOnly_.empty() && !mainServerHost_.empty() &&
        hostOf(request.url) == mainServerHost_) {
        setup.authorities.push_back(&mainServerOnly_);
    }
    issue(std::move(setup));
}

void CurlConnection::issue(CurlRequest::Setup setup) {
    CurlRequest::Listener& listener = *this;
    request_ = std::make_unique<CurlRequest>(std::move(setup), listener);
    multi_->add(request_->handle());
}

void CurlConnection::stop() noexcept {
    // Nothing queued for the request before it stopped reaches the listener.
    ++generation_;
    if (request_) {
        multi_->remove(request_->handle());
        request_.reset();
    }
    answered_ = false;
    ended_ = false;
    paused_ = false;
    failure_.reset();
    pos_ = 0;
    end_ = 0;
}

const transfer::Answer* CurlConnection::answer() const {
    return answered_ ? &request_->answer() : nullptr;
}

void CurlConnection::onConnecting() {
    post(State::kConnecting);
}

void CurlConnection::onConnected() {
    post(State::kConnected);
    post(State::kRequesting);
}

void CurlConnection::onAnswerStarted() {
    post(State::kRequestSent);
}

void CurlConnection::onHeadersComplete() {
    if (request_->answer().status < 200) {
        // "100 Continue" and the like: the real answer follows.
        return;
    }
    answered_ = true;
    post(State::kResponseReceived);
    post(kNews);
    wake();
}

std::size_t CurlConnection::onBody(const char* data, std::size_t size) {
    if (buffer_.size() < kBufferSize) {
        buffer_.resize(kBufferSize);
    }
    if (size > buffer_.size() - end_) {
        // Full: libcurl keeps these bytes and stops reading until the
        // transfer has taken enough of the buffer.
        paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    std::memcpy(buffer_.data() + end_, data, size);
    end_ += size;
    wake();
    return size;
}

void CurlConnection::onDone(CURL* easy, CURLcode result) {
    if (!request_ || easy != request_->handle()) {
        return;
    }
    if (!answered_ && result == CURLE_WEIRD_SERVER_REPLY && request_->answer().status >= 200 &&
        !request_->setup().lenientLength) {
        // libcurl refuses a head whose "Content-Length" is not a number
        // before it is shown to anyone; asked once more, the head reaches the
        // transfer, which tells the user what the server announced.
        CurlRequest::Setup again = request_->setup();
        again.lenientLength = true;
        multi_->remove(request_->handle());
        issue(std::move(again));
        return;
    }
    ended_ = true;
    if (result != CURLE_OK) {
        failure_ = transfer::ConnectionFault{faultOf(outcomeOf(easy, result)), ""};
    }
    post(kNews);
    wake();
}

void CurlConnection::post(std::int16_t state) {
    const std::uint64_t generation = generation_;
    QMetaObject::invokeMethod(
        &context_,
        [this, generation, state] {
            if (generation != generation_ || listener_ == nullptr) {
                return;
            }
            if (state == kNews) {
                listener_->onNews();
            } else {
                listener_->onProgress(state);
            }
        },
        Qt::QueuedConnection);
}

CurlConnection::Step CurlConnection::next(std::string_view& block) {
    // The block handed out last is no longer the transfer's: its bytes may move.
    if (paused_ && end_ - pos_ <= buffer_.size() / 2) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
        paused_ = false;
        multi_->resume(request_->handle());
    } else if (pos_ == end_) {
        pos_ = 0;
        end_ = 0;
    }
    if (pos_ < end_) {
        block = std::string_view(buffer_.data() + pos_, end_ - pos_);
        pos_ = end_;
        return Step::kBlock;
    }
    block = {};
    if (!ended_) {
        return Step::kWaiting;
    }
    return failure_ ? Step::kFailed : Step::kEnded;
}

bool CurlConnection::wait(std::chrono::milliseconds limit) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(limit);
    // A wait started from inside the events of another (a handler that reads
    // from inside them) nests; news ends both, and the outer one comes back
    // as soon as the inner one has.
    waiting_.push_back(&loop);
    loop.exec();
    waiting_.erase(std::find(waiting_.begin(), waiting_.end(), &loop));
    return true;
}

void CurlConnection::wake() {
    for (QEventLoop* loop : waiting_) {
        loop->quit();
    }
}

}  // namespace quibrant::curl
