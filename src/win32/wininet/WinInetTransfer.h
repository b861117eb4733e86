#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Failure.h"
#include "platform/InternetTransfer.h"
#include "transfer/Resume.h"
#include "transfer/TransferFailures.h"
#include "transfer/TransferSettings.h"
#include "win32/wininet/WinInetHandle.h"
#include "win32/wininet/WinInetRequest.h"
#include "win32/wininet/WinInetUrl.h"

namespace quibrant::win32 {

// The Internet transfer component over WinINet: one HTTP(S) GET at a time,
// with the system's certificate store and proxy settings. Its states are
// raised on the thread that created it (the window's), through a hidden
// message window; the request itself runs on a worker thread, and the body
// reaches the caller in small pieces from a bounded queue, so memory stays
// flat whatever the file's size.
//
// A body whose connection breaks (a reset, a close before the announced
// length, a stall) is asked for again from where it broke, and joined only
// when the server sends the rest of the same file; the caller sees one
// uninterrupted body and hears of one answer.
class WinInetTransfer final : public transfer::TransferSettings {
  public:
    // `mainServerBaseUrl` is the only origin that may receive the user name
    // and password, over HTTPS and only when it asks for them.
    explicit WinInetTransfer(const std::string& mainServerBaseUrl);
    ~WinInetTransfer() override;
    WinInetTransfer(const WinInetTransfer&) = delete;
    WinInetTransfer& operator=(const WinInetTransfer&) = delete;

    void onStateChanged(StateChangedHandler handler) override;

    void Execute(const std::string& operation) override;
    std::string GetHeader(const std::string& name) override;
    int responseCode() const override;
    std::string_view GetChunk(std::int16_t size) override;
    void Cancel() override;

    // Why the current request ended without an answer (state 11), in Spanish;
    // "" while it has not. A certificate refused, a host unknown, a port
    // closed: the caller may show it.
    std::string lastFailure() const;
    platform::Failure requestFailure() const override;

    // Bytes of the body received from the network and not yet handed out:
    // what the component holds in memory, bounded whatever the file's size.
    std::int64_t bufferedBytes() const;

    void setStallTimeout(std::chrono::milliseconds timeout) { stallTimeout_ = timeout; }
    // The wait before the first resume of a broken body; each further one doubles.
    void setResumeWait(std::chrono::milliseconds wait) { resumeWait_ = wait; }

  private:
    static LRESULT CALLBACK notificationProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);
    void deliver(WPARAM generation, std::int16_t state);
    void dropRequest();
    void startRequest(WinInetRequest::Settings settings);
    // Waits, with the thread's window messages flowing, until the request has
    // news; false once it has delivered nothing for the stall timeout.
    // Throws when the request is cancelled or replaced meanwhile.
    bool waitForData();
    // Lets the window's messages run until `until`, the same way.
    void pauseUntil(std::chrono::steady_clock::time_point until);
    // Runs the window's pending messages, then throws when they cancelled or
    // replaced the request of `generation`.
    void runMessages(std::uint64_t generation);
    // Lets the thread's pending window messages run; false when one of them
    // was the end of the program's message loop.
    bool pumpMessages();
    // The current request ended: true when the rest of the body was asked
    // for again, false when the body ended (complete, or short as the caller
    // will find); throws its failure otherwise.
    bool onEnd(WinInetRequest::Progress ending);
    // The connection broke: asks for the rest after a wait and answers true,
    // or gives up with `withoutResume`, how the break ends then (none:
    // the body ends short and the caller reports it).
    bool resumeAfterBreak(std::optional<platform::Failure> withoutResume);
    // Checks that a resumed request's answer continues the body.
    void judgeResumed();
    [[noreturn]] void fail(platform::Failure failure);
    // The first answer: the one the caller reads, whatever was resumed.
    std::shared_ptr<const WinInetAnswer> answer() const;
    transfer::BodyProgress bodyProgress() const;

    WindowHandle window_;
    StateChangedHandler handler_;
    std::optional<WebUrl> mainServer_;

    std::chrono::milliseconds stallTimeout_ = transfer::kStallLimit;
    std::chrono::milliseconds resumeWait_ = transfer::kFirstResumeWait;

    // Per request. The generation tells a posted notification whether its
    // request is still the current one.
    std::shared_ptr<WinInetRequest> request_;
    std::uint64_t generation_ = 0;
    bool cancelled_ = false;
    bool ended_ = false;
    std::optional<platform::Failure> failure_;
    WinInetRequest::Settings settings_;
    std::shared_ptr<const WinInetAnswer> firstAnswer_;
    // Bytes of the body taken from the requests so far.
    std::int64_t received_ = 0;
    int resumes_ = 0;
    // The current request resumes the body and its answer is not judged yet.
    bool judging_ = false;
    // How the last break would have ended the body, had it not been resumed.
    std::optional<platform::Failure> lastBreak_;

    // The block of the body the pieces are cut from.
    WinInetRequest::Block block_;
    std::size_t blockPos_ = 0;
};

}  // namespace quibrant::win32
