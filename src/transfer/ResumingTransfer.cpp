#include "transfer/ResumingTransfer.h"

#include <algorithm>
#include <utility>

#include "transfer/Login.h"

namespace quibrant::transfer {

namespace {

constexpr const char* kGet = "GET";
// More hops than any real mirror needs; a loop ends with the last answer.
constexpr int kMostRedirects = 10;
constexpr int kUnauthorized = 401;
constexpr int kPartialContent = 206;

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

BodyHeaders bodyHeaders(const Answer& answer) {
    return {answer.status, answer.header("Content-Length"), answer.header("Content-Range"),
            answer.header("ETag"), answer.header("Last-Modified")};
}

}  // namespace

ResumingTransfer::ResumingTransfer(std::unique_ptr<Connection> connection,
                                   const std::string& mainServerBaseUrl)
    : connection_(std::move(connection)),
      mainServer_(WebAddress::parse(mainServerBaseUrl)),
      now_(&std::chrono::steady_clock::now) {
    connection_->setListener(this);
}

ResumingTransfer::~ResumingTransfer() {
    connection_->stop();
    connection_->wake();
    connection_->setListener(nullptr);
}

void ResumingTransfer::onStateChanged(StateChangedHandler handler) {
    handler_ = std::move(handler);
}

void ResumingTransfer::Execute(const std::string& operation) {
    if (operation != kGet) {
        throw transferFailure(TransferFault::kUnsupportedOperation, operation);
    }
    std::optional<WebAddress> address = WebAddress::parse(url_);
    if (!address) {
        throw transferFailure(TransferFault::kInvalidAddress, url_);
    }
    connection_->stop();
    ++generation_;
    cancelled_ = false;
    errorRaised_ = false;
    failure_.reset();
    noAnswer_.reset();
    answer_.reset();
    answerAddress_.reset();
    version_.reset();
    received_ = 0;
    ended_ = false;
    resumes_ = 0;
    resuming_ = false;
    lastBreak_.reset();
    send(Hop{std::move(*address), {}, 0, false});
}

void ResumingTransfer::send(Hop hop) {
    hop_ = std::move(hop);
    settled_ = false;
    carriesBody_ = false;
    block_ = {};
    ConnectionRequest request{hop_.address.url, hop_.headers};
    if (hop_.withLogin) {
        request.headers.emplace_back("Authorization", basicAuthorization(userName_, password_));
    }
    lastNews_ = now_();
    connection_->start(request);
}

void ResumingTransfer::onProgress(std::int16_t state) {
    // The caller heard of one request and one answer; asking for the rest of
    // the body is the transfer's own business.
    if (!resuming_) {
        raise(state);
    }
}

void ResumingTransfer::onNews() {
    try {
        settle();
    } catch (const platform::Failure& failure) {
        // The next hop could not even start; it ends the request like any
        // other failure, told by the waiting piece or by state 11.
        connection_->stop();
        if (answer_) {
            failure_ = failure;
        } else if (!errorRaised_) {
            noAnswer_ = failure;
            errorRaised_ = true;
            raise(kError);
        }
    }
    connection_->wake();
}

void ResumingTransfer::settle() {
    if (settled_) {
        return;
    }
    if (const Answer* answer = connection_->answer()) {
        settled_ = true;
        settleAnswer(*answer);
        return;
    }
    const std::optional<ConnectionFault> fault = connection_->failure();
    if (!fault) {
        return;
    }
    settled_ = true;
    // A request for the rest that got no answer is another break, which the
    // waiting piece acts on.
    if (answer_ || errorRaised_) {
        return;
    }
    // A request that failed before any answer only ever learns of state 11.
    noAnswer_ = transferFailure(fault->fault, hop_.address.host, fault->detail);
    errorRaised_ = true;
    raise(kError);
}

void ResumingTransfer::settleAnswer(const Answer& answer) {
    if (std::optional<Hop> next = nextHop(answer)) {
        send(std::move(*next));
        return;
    }
    if (resuming_) {
        // Judged before a byte of it is handed out.
        const ResumeVerdict verdict = judgeResumed(*version_, received_, bodyHeaders(answer));
        if (verdict == ResumeVerdict::kContinues) {
            resuming_ = false;
            carriesBody_ = true;
            lastNews_ = now_();
            return;
        }
        connection_->stop();
        failure_ = verdict == ResumeVerdict::kChanged
                       ? brokenBody(TransferFault::kChangedOnServer, bodyProgress(), "")
                       : *lastBreak_;
        return;
    }
    if (answer.status == kPartialContent) {
        // Part of a file, when the whole was asked for: nothing of it may be
        // taken for the installer.
        connection_->stop();
        noAnswer_ = transferFailure(TransferFault::kInvalidResponse, hop_.address.host,
                                    answerDetail(answer.status));
        errorRaised_ = true;
        raise(kError);
        return;
    }
    answer_ = answer;
    answerAddress_ = hop_.address;
    version_ = resumableBody(bodyHeaders(answer));
    carriesBody_ = true;
    lastNews_ = now_();
    // The caller reads the whole body from inside this notification, with
    // events flowing.
    raise(kResponseCompleted);
}

std::optional<ResumingTransfer::Hop> ResumingTransfer::nextHop(const Answer& answer) const {
    const WebAddress& here = hop_.address;
    // The login goes to the main server over HTTPS, asked for on that hop,
    // and once: a second refusal is the answer the user sees.
    const bool mainServer =
        mainServer_ && mainServer_->secure() && here.secure() && here.sameOrigin(*mainServer_);
    if (answer.status == kUnauthorized && !hop_.withLogin && mainServer &&
        offersBasic(answer.header("WWW-Authenticate"))) {
        Hop again = hop_;
        again.withLogin = true;
        return again;
    }
    if (!isRedirect(answer.status) || hop_.redirects >= kMostRedirects) {
        return std::nullopt;
    }
    std::optional<WebAddress> there = here.resolve(answer.header("Location"));
    // Following HTTPS down to plain HTTP would hand the file (and what the
    // user trusts it to be) to anyone on the way: such a redirect is the
    // answer, with its own status.
    if (!there || (here.secure() && !there->secure())) {
        return std::nullopt;
    }
    // A request for the rest asks for the same range wherever it is sent.
    return Hop{std::move(*there), hop_.headers, hop_.redirects + 1, false};
}

void ResumingTransfer::raise(std::int16_t state) {
    if (cancelled_ || !handler_) {
        return;
    }
    // The handler may replace itself, or start another request, while it runs.
    const StateChangedHandler handler = handler_;
    handler(state);
}

std::string ResumingTransfer::GetHeader(const std::string& name) {
    return answer_ ? answer_->header(name) : "";
}

int ResumingTransfer::responseCode() const {
    return answer_ ? answer_->status : 0;
}

platform::Failure ResumingTransfer::requestFailure() const {
    if (cancelled_ || !noAnswer_) {
        return transferFailure(TransferFault::kCancelled);
    }
    return *noAnswer_;
}

std::int64_t ResumingTransfer::bufferedBytes() const {
    return connection_->bufferedBytes() + static_cast<std::int64_t>(block_.size());
}

std::string_view ResumingTransfer::GetChunk(std::int16_t size) {
    if (size <= 0) {
        return {};
    }
    for (;;) {
        if (!block_.empty()) {
            const std::string_view piece = block_.substr(0, static_cast<std::size_t>(size));
            block_.remove_prefix(piece.size());
            return piece;
        }
        if (failure_) {
            throw *failure_;
        }
        if (generation_ == 0) {
            throw transferFailure(TransferFault::kNoRequest);
        }
        if (cancelled_) {
            fail(transferFailure(TransferFault::kCancelled));
        }
        if (noAnswer_) {
            fail(*noAnswer_);
        }
        if (ended_) {
            return {};
        }
        if (answer_) {
            // A resumed answer may be in before its news has run.
            settle();
            if (failure_) {
                throw *failure_;
            }
        }
        if (!carriesBody_) {
            if (answer_ && settled_ && connection_->failure()) {
                // The server could not be reached again: the body broke as before.
                resumeAfterBreak(*lastBreak_);
            } else {
                waitForNews();
            }
            continue;
        }
        switch (connection_->next(block_)) {
            case Connection::Step::kBlock:
                received_ += static_cast<std::int64_t>(block_.size());
                lastNews_ = now_();
                break;
            case Connection::Step::kWaiting:
                waitForNews();
                break;
            case Connection::Step::kEnded:
                // A clean end short of the announced length is a close
                // before the end.
                if (version_ && received_ < version_->length) {
                    resumeAfterBreak(
                        brokenBody(TransferFault::kConnectionClosed, bodyProgress(), ""));
                    break;
                }
                ended_ = true;
                return {};
            case Connection::Step::kFailed:
                resumeAfterBreak(brokenBy(connection_->failure().value_or(ConnectionFault{})));
                break;
        }
    }
}

void ResumingTransfer::waitForNews() {
    const std::uint64_t generation = generation_;
    const auto deadline = lastNews_ + stallTimeout_;
    const auto now = now_();
    if (now >= deadline) {
        platform::Failure stalled = stalledBody(stallTimeout_, bodyProgress());
        connection_->stop();
        resumeAfterBreak(std::move(stalled));
        return;
    }
    if (!connection_->wait(std::chrono::ceil<std::chrono::milliseconds>(deadline - now))) {
        Cancel();
    }
    checkStillCurrent(generation);
}

void ResumingTransfer::pauseUntil(std::chrono::steady_clock::time_point until) {
    const std::uint64_t generation = generation_;
    for (auto now = now_(); now < until; now = now_()) {
        if (!connection_->wait(std::chrono::ceil<std::chrono::milliseconds>(until - now))) {
            Cancel();
        }
        checkStillCurrent(generation);
    }
}

void ResumingTransfer::checkStillCurrent(std::uint64_t generation) {
    // The window may have cancelled or replaced the request while its events
    // ran; a replaced one is no business of this call any more.
    if (generation != generation_) {
        throw transferFailure(TransferFault::kCancelled);
    }
    if (cancelled_) {
        fail(transferFailure(TransferFault::kCancelled));
    }
    // A piece read from inside those events may have ended the body already.
    if (failure_) {
        throw *failure_;
    }
}

void ResumingTransfer::resumeAfterBreak(platform::Failure withoutResume) {
    if (!version_ || resumes_ >= kMostResumes || received_ >= version_->length) {
        connection_->stop();
        fail(std::move(withoutResume));
    }
    ++resumes_;
    lastBreak_.emplace(std::move(withoutResume));
    connection_->stop();
    block_ = {};
    carriesBody_ = false;
    resuming_ = true;

    // A server that has just dropped the connection is given a moment; the
    // window's events run meanwhile, and a cancel ends the wait at once.
    pauseUntil(now_() + resumeWait(resumes_, resumeWait_));

    // Asked afresh where the first answer came from, with the first
    // request's rules for redirects and the login.
    try {
        send(Hop{*answerAddress_, resumeRequestHeaders(*version_, received_), 0, false});
    } catch (const platform::Failure& failure) {
        fail(failure);
    }
}

platform::Failure ResumingTransfer::brokenBy(const ConnectionFault& fault) const {
    return brokenBody(fault.fault, bodyProgress(), fault.detail);
}

BodyProgress ResumingTransfer::bodyProgress() const {
    return {received_, answer_ ? answer_->header("Content-Length") : ""};
}

void ResumingTransfer::fail(platform::Failure failure) {
    failure_.emplace(std::move(failure));
    throw *failure_;
}

void ResumingTransfer::Cancel() {
    cancelled_ = true;
    block_ = {};
    connection_->stop();
    connection_->wake();
}

}  // namespace quibrant::transfer
