#include "qt/CurlTransfer.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <utility>

#include "qt/WebAddress.h"

namespace quibrant::qt {

namespace {

constexpr const char* kGet = "GET";
// Large enough to keep the connection busy, small enough to keep memory
// flat; far above the 16 KiB libcurl hands over at a time.
constexpr std::size_t kBufferSize = 512 * 1024;
// More hops than any real mirror needs; a loop ends with the last answer.
constexpr int kMostRedirects = 10;

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool offersBasic(const std::string& challenge) {
    std::string lower(challenge);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("basic") != std::string::npos;
}

}  // namespace

CurlTransfer::CurlTransfer(const std::string& mainServerBaseUrl,
                           const TrustedAuthorities& authorities)
    : multi_(std::make_unique<CurlMulti>(
          [this](CURL* easy, CURLcode result) { onDone(easy, result); })),
      mainServer_(mainServerBaseUrl),
      everyHost_(authorities.everyHostPem),
      mainServerOnly_(authorities.mainServerPem) {}

CurlTransfer::~CurlTransfer() {
    if (waiting_ != nullptr) {
        waiting_->quit();
    }
    dropRequest();
}

void CurlTransfer::onStateChanged(StateChangedHandler handler) {
    handler_ = std::move(handler);
}

void CurlTransfer::Execute(const std::string& operation) {
    if (operation != kGet) {
        throw transfer::transferFailure(transfer::TransferFault::kUnsupportedOperation, operation);
    }
    const std::optional<WebAddress> address = WebAddress::parse(URL());
    if (!address) {
        throw transfer::transferFailure(transfer::TransferFault::kInvalidAddress, URL());
    }

    dropRequest();
    ++generation_;
    hops_ = 0;
    credentialsGiven_ = false;
    next_.reset();
    answer_.reset();
    ended_ = false;
    errorRaised_ = false;
    cancelled_ = false;
    paused_ = false;
    outcome_ = CurlOutcome{};
    failedHost_.clear();
    failure_.reset();
    received_ = 0;
    pos_ = 0;
    end_ = 0;
    version_.reset();
    answerUrl_.clear();
    resumes_ = 0;
    resuming_ = false;
    verdict_.reset();
    lastBreak_.reset();
    issue(setupFor(address->url));
}

CurlRequest::Setup CurlTransfer::setupFor(const std::string& url) const {
    CurlRequest::Setup setup;
    setup.url = url;
    if (!everyHost_.empty()) {
        setup.authorities.push_back(&everyHost_);
    }
    const std::optional<WebAddress> address = WebAddress::parse(url);
    const std::optional<WebAddress> main = WebAddress::parse(mainServer_);
    if (!mainServerOnly_.empty() && address && main && address->sameHost(*main)) {
        setup.authorities.push_back(&mainServerOnly_);
    }
    return setup;
}

bool CurlTransfer::isMainServer(const std::string& url) const {
    const std::optional<WebAddress> address = WebAddress::parse(url);
    const std::optional<WebAddress> main = WebAddress::parse(mainServer_);
    return address && main && address->secure() && main->secure() && address->sameOrigin(*main);
}

void CurlTransfer::issue(CurlRequest::Setup setup) {
    dropRequest();
    next_.reset();
    CurlRequest::Listener& listener = *this;
    request_ = std::make_unique<CurlRequest>(std::move(setup), listener);
    multi_->add(request_->handle());
}

void CurlTransfer::dropRequest() {
    if (request_) {
        multi_->remove(request_->handle());
        request_.reset();
    }
    paused_ = false;
}

void CurlTransfer::onConnecting() {
    raise(kConnecting);
}

void CurlTransfer::onConnected() {
    raise(kConnected);
    raise(kRequesting);
}

void CurlTransfer::onAnswerStarted() {
    raise(kRequestSent);
}

void CurlTransfer::onHeadersComplete() {
    const HttpAnswer& answer = request_->answer();
    if (answer.status < 200) {
        // "100 Continue" and the like: the real answer follows.
        return;
    }
    raise(kResponseReceived);
    next_ = nextHop();
    if (next_) {
        return;
    }
    if (resuming_) {
        // Judged before a byte of it arrives; GetChunk acts on the verdict.
        verdict_ = transfer::judgeResumed(*version_, received_, bodyHeaders(answer));
        if (waiting_ != nullptr) {
            waiting_->quit();
        }
        return;
    }
    answer_ = answer;
    answerUrl_ = request_->setup().url;
    version_ = transfer::resumableBody(bodyHeaders(answer));
    // The caller reads the whole body from inside this notification, with
    // events flowing; it goes through the queue like every other state.
    raise(kResponseCompleted);
}

std::optional<CurlRequest::Setup> CurlTransfer::nextHop() const {
    const HttpAnswer& answer = request_->answer();
    const std::string& url = request_->setup().url;
    if (answer.status == 401 && !credentialsGiven_ && isMainServer(url) &&
        offersBasic(answer.header("WWW-Authenticate"))) {
        CurlRequest::Setup setup = request_->setup();
        setup.withCredentials = true;
        setup.userName = UserName();
        setup.password = Password();
        return setup;
    }
    if (!isRedirect(answer.status) || hops_ >= kMostRedirects) {
        return std::nullopt;
    }
    const std::optional<WebAddress> here = WebAddress::parse(url);
    const std::optional<WebAddress> there =
        here ? here->resolve(answer.header("Location")) : std::nullopt;
    // Following HTTPS down to plain HTTP would hand the file (and what the
    // user trusts it to be) to anyone on the way: such a redirect is the
    // answer, with its own status.
    if (!there || (here->secure() && !there->secure())) {
        return std::nullopt;
    }
    CurlRequest::Setup setup = setupFor(there->url);
    // A request for the rest asks for the same range wherever it is sent.
    setup.headers = request_->setup().headers;
    return setup;
}

std::size_t CurlTransfer::onBody(const char* data, std::size_t size) {
    if (!answer_ || next_) {
        // The body of an answer that leads on (a redirect, a challenge).
        return size;
    }
    if (resuming_ && verdict_ != transfer::ResumeVerdict::kContinues) {
        // Not a byte of another body joins this one: the transfer stops.
        return 0;
    }
    if (buffer_.size() < kBufferSize) {
        buffer_.resize(kBufferSize);
    }
    if (size > buffer_.size() - end_) {
        // Full: libcurl keeps these bytes and stops reading until the caller
        // has taken enough pieces.
        paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    std::memcpy(buffer_.data() + end_, data, size);
    end_ += size;
    received_ += static_cast<std::int64_t>(size);
    if (waiting_ != nullptr) {
        waiting_->quit();
    }
    return size;
}

void CurlTransfer::onDone(CURL* easy, CURLcode result) {
    if (!request_ || easy != request_->handle()) {
        return;
    }
    if (next_) {
        ++hops_;
        credentialsGiven_ = credentialsGiven_ || next_->withCredentials;
        issue(std::move(*next_));
        return;
    }
    if (!answer_ && result == CURLE_WEIRD_SERVER_REPLY && request_->answer().status >= 200 &&
        !request_->setup().lenientLength) {
        // libcurl refuses a head whose "Content-Length" is not a number
        // before it is shown to anyone; asked once more, the head reaches the
        // caller, which tells the user what the server announced.
        CurlRequest::Setup again = request_->setup();
        again.lenientLength = true;
        issue(std::move(again));
        return;
    }
    ended_ = true;
    outcome_ = outcomeOf(easy, result);
    if (waiting_ != nullptr) {
        waiting_->quit();
    }
    if (answer_) {
        return;
    }
    // A request that failed before its answer arrived (no connection, a
    // refused certificate, an unknown host) only ever learns of state 11.
    const std::optional<WebAddress> address = WebAddress::parse(request_->setup().url);
    failedHost_ = address ? address->host : "";
    if (!errorRaised_) {
        errorRaised_ = true;
        raise(kError);
    }
}

void CurlTransfer::raise(std::int16_t state) {
    if (resuming_) {
        // The caller heard of one request and one answer; asking for the
        // rest of the body is the component's own business.
        return;
    }
    const std::uint64_t generation = generation_;
    QMetaObject::invokeMethod(
        &context_,
        [this, generation, state] {
            // Nothing of a cancelled or replaced request reaches the handler,
            // even what was queued before it was cancelled.
            if (generation != generation_ || cancelled_ || !handler_) {
                return;
            }
            const StateChangedHandler handler = handler_;
            handler(state);
        },
        Qt::QueuedConnection);
}

std::string CurlTransfer::GetHeader(const std::string& name) {
    return answer_ ? answer_->header(name) : "";
}

int CurlTransfer::responseCode() const {
    return answer_ ? answer_->status : 0;
}

platform::Failure CurlTransfer::requestFailure() const {
    if (cancelled_ || !ended_) {
        return transfer::transferFailure(transfer::TransferFault::kCancelled);
    }
    return transfer::transferFailure(faultOf(outcome_), failedHost_);
}

std::string_view CurlTransfer::GetChunk(std::int16_t size) {
    if (size <= 0) {
        return {};
    }
    if (failure_) {
        throw *failure_;
    }
    if (generation_ == 0) {
        throw transfer::transferFailure(transfer::TransferFault::kNoRequest);
    }
    for (;;) {
        makeRoom();
        if (pos_ < end_) {
            const std::size_t piece = std::min<std::size_t>(size, end_ - pos_);
            const std::string_view chunk(buffer_.data() + pos_, piece);
            pos_ += piece;
            return chunk;
        }
        if (cancelled_) {
            fail(transfer::transferFailure(transfer::TransferFault::kCancelled));
        }
        if (ended_ && !answer_) {
            fail(requestFailure());
        }
        if (resuming_ && verdict_ && *verdict_ != transfer::ResumeVerdict::kContinues) {
            refuseResumed();
        }
        if (ended_ && resuming_ && !verdict_) {
            // The server could not be reached again: the body broke as before.
            resumeAfterBreak(std::move(*lastBreak_));
            continue;
        }
        if (ended_) {
            if (outcome_.result != CURLE_OK) {
                resumeAfterBreak(transfer::brokenBody(faultOf(outcome_), bodyProgress(), ""));
                continue;
            }
            return {};
        }
        if (!waitForData(stallTimeout_) && pos_ == end_ && !ended_) {
            platform::Failure stalled = transfer::stalledBody(stallTimeout_, bodyProgress());
            dropRequest();
            resumeAfterBreak(std::move(stalled));
        }
    }
}

void CurlTransfer::makeRoom() {
    // The piece handed out last is no longer the caller's: its bytes may move.
    if (pos_ == end_) {
        pos_ = 0;
        end_ = 0;
    }
    if (!paused_ || end_ - pos_ > buffer_.size() / 2) {
        return;
    }
    std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
    paused_ = false;
    multi_->resume(request_->handle());
}

bool CurlTransfer::waitForData(std::chrono::milliseconds limit) {
    const std::uint64_t generation = generation_;
    QEventLoop loop;
    QTimer stall;
    stall.setSingleShot(true);
    bool stalled = false;
    QObject::connect(&stall, &QTimer::timeout, &loop, [&] {
        stalled = true;
        loop.quit();
    });
    stall.start(limit);
    // A piece asked for while another wait runs (a handler that reads from
    // inside the events of the first) nests; the outer wait comes back next.
    QEventLoop* const outer = std::exchange(waiting_, &loop);
    loop.exec();
    waiting_ = outer;

    // The window may have cancelled or replaced the request while its events ran.
    if (cancelled_ || generation != generation_) {
        fail(transfer::transferFailure(transfer::TransferFault::kCancelled));
    }
    // A read nested in those events may have ended the body already.
    if (failure_) {
        throw *failure_;
    }
    return !stalled;
}

void CurlTransfer::fail(platform::Failure failure) {
    failure_.emplace(std::move(failure));
    throw *failure_;
}

transfer::BodyProgress CurlTransfer::bodyProgress() const {
    return {received_, answer_ ? answer_->header("Content-Length") : ""};
}

void CurlTransfer::Cancel() {
    try {
        cancelled_ = true;
        if (waiting_ != nullptr) {
            waiting_->quit();
        }
        dropRequest();
        pos_ = 0;
        end_ = 0;
    } catch (...) {
        // Cancelling is best effort and never fails the caller.
    }
}

}  // namespace quibrant::qt
