#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Failure.h"
#include "platform/InternetTransfer.h"
#include "transfer/Connection.h"
#include "transfer/Resume.h"
#include "transfer/WebAddress.h"

namespace quibrant::transfer {

// The Internet transfer component, the same on every system over the
// system's own connection: one GET at a time, its states raised from the
// window's event queue, its body handed out in pieces as the caller asks.
//
// It owns every rule of the transfer: which redirects are followed (ten at
// most, never from HTTPS to anything else), who gets the user name and
// password (the main server over HTTPS, when it asks for Basic), which
// answers are taken (a 206 only when a range was asked for), how long a body
// may stall, and how a broken body is resumed: asked again from where it
// broke, and joined only when the server sends the rest of the same file, so
// that the caller sees one uninterrupted body and hears of one answer.
class ResumingTransfer final : public platform::InternetTransfer, private Connection::Listener {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // `mainServerBaseUrl` is the only origin that may receive the user name
    // and password, over HTTPS and only when it asks for them.
    ResumingTransfer(std::unique_ptr<Connection> connection, const std::string& mainServerBaseUrl);
    ~ResumingTransfer() override;
    ResumingTransfer(const ResumingTransfer&) = delete;
    ResumingTransfer& operator=(const ResumingTransfer&) = delete;

    void onStateChanged(StateChangedHandler handler) override;
    std::string RemoteHost() const override { return remoteHost_; }
    void setRemoteHost(const std::string& host) override { remoteHost_ = host; }
    std::string UserName() const override { return userName_; }
    void setUserName(const std::string& user) override { userName_ = user; }
    std::string Password() const override { return password_; }
    void setPassword(const std::string& password) override { password_ = password; }
    // Nothing in a GET depends on it.
    void setSetting14(std::int32_t /*value*/) override {}
    std::string URL() const override { return url_; }
    void setURL(const std::string& url) override { url_ = url; }

    void Execute(const std::string& operation) override;
    std::string GetHeader(const std::string& name) override;
    int responseCode() const override;
    platform::Failure requestFailure() const override;
    std::string_view GetChunk(std::int16_t size) override;
    void Cancel() override;

    // Bytes of the body received and not yet handed out: what the transfer
    // holds in memory, bounded whatever the file's size.
    std::int64_t bufferedBytes() const;

    void setStallTimeout(std::chrono::milliseconds timeout) { stallTimeout_ = timeout; }
    // The wait before the first resume of a broken body; each further one doubles.
    void setResumeWait(std::chrono::milliseconds wait) { resumeWait_ = wait; }
    // The clock that stalls and waits are measured by (tests script it).
    void setClock(Clock clock) { now_ = std::move(clock); }

  private:
    // Connection::Listener.
    void onProgress(std::int16_t state) override;
    void onNews() override;

    // One request on the way to an answer: where it goes, what it asks for,
    // and what it has already been through.
    struct Hop {
        WebAddress address;
        // A range and its validator, when the rest of a body is asked for.
        std::vector<std::pair<std::string, std::string>> headers;
        int redirects = 0;
        bool withLogin = false;
    };

    void send(Hop hop);
    // Acts on the current request's answer or failure once: another hop, the
    // body's answer, a resumed answer judged, or state 11.
    void settle();
    void settleAnswer(const Answer& answer);
    // The hop that follows `answer` (a redirect, a login challenge), if any.
    std::optional<Hop> nextHop(const Answer& answer) const;
    // Waits for the current request's news, with the window's events flowing,
    // and turns a body that delivers nothing for the stall limit into a break.
    void waitForNews();
    // Lets the window's events run until `until`; throws when they cancel or
    // replace the request.
    void pauseUntil(std::chrono::steady_clock::time_point until);
    void checkStillCurrent(std::uint64_t generation);
    // The connection broke and `withoutResume` is how the body ends unless
    // it is resumed: thrown when it cannot be, else the rest is asked for.
    void resumeAfterBreak(platform::Failure withoutResume);
    // The current request's failure, on its way to the body.
    platform::Failure brokenBy(const ConnectionFault& fault) const;
    BodyProgress bodyProgress() const;
    void raise(std::int16_t state);
    [[noreturn]] void fail(platform::Failure failure);

    std::unique_ptr<Connection> connection_;
    std::optional<WebAddress> mainServer_;
    StateChangedHandler handler_;
    std::string remoteHost_;
    std::string userName_;
    std::string password_;
    std::string url_;
    std::chrono::milliseconds stallTimeout_ = kStallLimit;
    std::chrono::milliseconds resumeWait_ = kFirstResumeWait;
    Clock now_;

    // Per Execute. The generation tells a wait whether its request is still
    // the current one when the window's events come back.
    std::uint64_t generation_ = 0;
    bool cancelled_ = false;
    bool errorRaised_ = false;
    std::optional<platform::Failure> failure_;
    std::optional<platform::Failure> noAnswer_;
    Hop hop_;
    // The current request's answer or failure has been acted on.
    bool settled_ = false;
    // The current request carries the body: its blocks may be handed out.
    bool carriesBody_ = false;
    std::chrono::steady_clock::time_point lastNews_;

    // Per body. The first answer is the one the caller reads, whatever was
    // resumed after it.
    std::optional<Answer> answer_;
    std::optional<WebAddress> answerAddress_;
    std::optional<BodyVersion> version_;
    std::int64_t received_ = 0;
    bool ended_ = false;
    int resumes_ = 0;
    // The current request asks for the rest: it raises no states, and its
    // blocks join the body only once its answer is judged the rest.
    bool resuming_ = false;
    // How the last break would have ended the body, had it not been resumed.
    std::optional<platform::Failure> lastBreak_;

    // The block the pieces are cut from.
    std::string_view block_;
};

}  // namespace quibrant::transfer
