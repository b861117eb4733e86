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
#include "transfer/TransferFailures.h"
#include "transfer/TransferSettings.h"
#include "win32/WinInetHandle.h"
#include "win32/WinInetRequest.h"
#include "win32/WinInetUrl.h"

namespace quibrant::win32 {

// The Internet transfer component over WinINet: one HTTP(S) GET at a time,
// with the system's certificate store and proxy settings. Its states are
// raised on the thread that created it (the window's), through a hidden
// message window; the request itself runs on a worker thread, and the body
// reaches the caller in small pieces from a bounded queue, so memory stays
// flat whatever the file's size.
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
    std::string responseReason() const override;
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

  private:
    static LRESULT CALLBACK notificationProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);
    void deliver(WPARAM generation, std::int16_t state);
    void dropRequest();
    // Blocks, with the thread's window messages flowing, until the request
    // has news, is cancelled or replaced, or has delivered nothing for the
    // stall timeout.
    void waitForData();
    // Lets the thread's pending window messages run; false when one of them
    // was the end of the program's message loop.
    bool pumpMessages();
    // The end of the body: nothing when the connection ended cleanly (the
    // caller checks the length), else the failure.
    void checkEnd(WinInetRequest::Progress ending);
    [[noreturn]] void fail(platform::Failure failure);
    transfer::BodyProgress bodyProgress() const;

    WindowHandle window_;
    StateChangedHandler handler_;
    std::optional<WebUrl> mainServer_;

    std::chrono::milliseconds stallTimeout_ = transfer::kStallLimit;

    // Per request. The generation tells a posted notification whether its
    // request is still the current one.
    std::shared_ptr<WinInetRequest> request_;
    std::uint64_t generation_ = 0;
    bool cancelled_ = false;
    bool ended_ = false;
    std::optional<platform::Failure> failure_;

    // The block of the body the pieces are cut from.
    WinInetRequest::Block block_;
    std::size_t blockPos_ = 0;
};

}  // namespace quibrant::win32
