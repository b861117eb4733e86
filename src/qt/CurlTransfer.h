#pragma once

#include <QObject>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Failure.h"
#include "platform/InternetTransfer.h"
#include "qt/CurlFaults.h"
#include "qt/CurlMulti.h"
#include "qt/CurlRequest.h"
#include "qt/TrustedAuthorities.h"
#include "transfer/Resume.h"
#include "transfer/TransferFailures.h"
#include "transfer/TransferSettings.h"

QT_BEGIN_NAMESPACE
class QEventLoop;
QT_END_NAMESPACE

namespace quibrant::qt {

// The Internet transfer component on libcurl: one HTTP(S) GET at a time,
// driven by the window's own event loop (no thread of its own), its progress
// raised as the component's state numbers through the window's event queue,
// its body handed out in small pieces from a bounded buffer, so that memory
// stays flat whatever the file's size.
//
// A body whose connection breaks (a reset, a close before the announced
// length, a stall) is asked for again from where it broke, and joined only
// when the server sends the rest of the same file; the caller sees one
// uninterrupted body and hears of one answer.
class CurlTransfer final : public transfer::TransferSettings, private CurlRequest::Listener {
  public:
    // `mainServerBaseUrl` is the only origin that may receive the user name
    // and password, over HTTPS and only when it asks for them.
    explicit CurlTransfer(const std::string& mainServerBaseUrl,
                          const TrustedAuthorities& authorities = TrustedAuthorities::builtIn());
    ~CurlTransfer() override;
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    void onStateChanged(StateChangedHandler handler) override;

    void Execute(const std::string& operation) override;
    std::string GetHeader(const std::string& name) override;
    int responseCode() const override;
    platform::Failure requestFailure() const override;
    std::string_view GetChunk(std::int16_t size) override;
    void Cancel() override;

    // Bytes of the body received from the network and not yet handed out.
    std::int64_t bufferedBytes() const { return static_cast<std::int64_t>(end_ - pos_); }

    void setStallTimeout(std::chrono::milliseconds timeout) { stallTimeout_ = timeout; }
    // The wait before the first resume of a broken body; each further one doubles.
    void setResumeWait(std::chrono::milliseconds wait) { resumeWait_ = wait; }

  private:
    // CurlRequest::Listener: called from inside libcurl.
    void onConnecting() override;
    void onConnected() override;
    void onAnswerStarted() override;
    void onHeadersComplete() override;
    std::size_t onBody(const char* data, std::size_t size) override;

    // Issues `setup` as the current request, replacing the one before.
    void issue(CurlRequest::Setup setup);
    CurlRequest::Setup setupFor(const std::string& url) const;
    void onDone(CURL* easy, CURLcode result);
    // The setup of the next hop when the answer that just arrived is not the
    // last one (a redirect to follow, a login challenge to answer).
    std::optional<CurlRequest::Setup> nextHop() const;
    bool isMainServer(const std::string& url) const;
    void dropRequest();
    // Queues a state notification for the current request.
    void raise(std::int16_t state);
    // Runs events until something of the request wakes it or `limit` runs
    // out (then false). Throws when the request is cancelled or replaced
    // meanwhile.
    bool waitForData(std::chrono::milliseconds limit);
    // The connection broke and `withoutResume` is how the body ends if it is
    // not resumed: thrown when it cannot be, else the rest is asked for after
    // a wait.
    void resumeAfterBreak(platform::Failure withoutResume);
    // The answer to a request for the rest is not the rest: throws.
    [[noreturn]] void refuseResumed();
    // What an answer's head says about the body it carries.
    static transfer::BodyHeaders bodyHeaders(const HttpAnswer& answer);
    void makeRoom();
    [[noreturn]] void fail(platform::Failure failure);
    transfer::BodyProgress bodyProgress() const;

    QObject context_;
    std::unique_ptr<CurlMulti> multi_;
    std::unique_ptr<CurlRequest> request_;
    StateChangedHandler handler_;
    std::string mainServer_;
    CertificateAuthorities everyHost_;
    CertificateAuthorities mainServerOnly_;
    std::chrono::milliseconds stallTimeout_ = transfer::kStallLimit;
    std::chrono::milliseconds resumeWait_ = transfer::kFirstResumeWait;

    // Per request. The generation tells a queued notification whether its
    // request is still the current one.
    std::uint64_t generation_ = 0;
    int hops_ = 0;
    bool credentialsGiven_ = false;
    std::optional<CurlRequest::Setup> next_;
    std::optional<HttpAnswer> answer_;
    bool ended_ = false;
    bool errorRaised_ = false;
    bool cancelled_ = false;
    bool paused_ = false;
    CurlOutcome outcome_;
    std::string failedHost_;
    std::optional<platform::Failure> failure_;
    std::int64_t received_ = 0;
    QEventLoop* waiting_ = nullptr;

    // Per body. The first answer (`answer_`) is the one the caller reads,
    // whatever was resumed after it.
    std::optional<transfer::BodyVersion> version_;
    // Where the first answer came from: the rest is asked for there.
    std::string answerUrl_;
    int resumes_ = 0;
    // The current request asks for the rest: it raises no states, and its
    // answer joins the body only once judged the rest of the same file.
    bool resuming_ = false;
    std::optional<transfer::ResumeVerdict> verdict_;
    // How the last break would have ended the body, had it not been resumed.
    std::optional<platform::Failure> lastBreak_;

    // The body between the network and the pieces handed out: filled at
    // `end_` by libcurl, handed out from `pos_`.
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

}  // namespace quibrant::qt
