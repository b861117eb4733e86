#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "transfer/Connection.h"
#include "transfer/TransferFailures.h"
#include "win32/wininet/WinInetHandle.h"
#include "win32/wininet/WinInetRequest.h"

namespace quibrant::win32 {

// The connection over WinINet, with the system's certificate store and proxy
// settings: one GET at a time, run on a worker thread (WinInetRequest). Its
// news reaches the listener on the thread that created it (the window's),
// through a hidden message window; the body arrives in blocks from a bounded
// queue, so memory stays flat whatever the file's size.
class WinInetConnection final : public transfer::Connection {
  public:
    // How long WinINet itself waits for a byte: a little after the
    // transfer's own stall limit, so that a stall is reported as one. It only
    // frees the worker in the end.
    static constexpr std::chrono::milliseconds kGiveUpAfter =
        transfer::kStallLimit + std::chrono::seconds(1);

    // Throws platform::Failure when the message window cannot be made.
    explicit WinInetConnection(std::chrono::milliseconds giveUpAfter = kGiveUpAfter);
    ~WinInetConnection() override;
    WinInetConnection(const WinInetConnection&) = delete;
    WinInetConnection& operator=(const WinInetConnection&) = delete;

    void setListener(Listener* listener) override { listener_ = listener; }
    void start(const transfer::ConnectionRequest& request) override;
    void stop() noexcept override;
    const transfer::Answer* answer() const override;
    std::optional<transfer::ConnectionFault> failure() const override;
    Step next(std::string_view& block) override;
    bool wait(std::chrono::milliseconds limit) override;
    void wake() override { woken_ = true; }
    std::int64_t bufferedBytes() const override;

  private:
    static LRESULT CALLBACK notificationProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);
    void deliver(UINT message, WPARAM generation, LPARAM state);
    // Lets the thread's pending window messages run, until one of them wakes
    // the wait or replaces the request; false when one of them was the end
    // of the program's message loop.
    bool pumpMessages();

    const std::chrono::milliseconds giveUpAfter_;
    MessageWindow window_;
    Listener* listener_ = nullptr;
    // Per request. The generation tells a posted message whether its request
    // is still the current one.
    std::shared_ptr<WinInetRequest> request_;
    std::uint64_t generation_ = 0;
    bool woken_ = false;
    // The block last handed out, given back to the request on the next call.
    WinInetRequest::Block block_;
};

}  // namespace quibrant::win32
