#include "win32/wininet/WinInetConnection.h"

#include <algorithm>

#include "win32/services/Win32Failure.h"

namespace quibrant::win32 {

namespace {

constexpr const wchar_t* kNotificationClass = L"QuibrantWinInetNotifications";
constexpr UINT kProgressMessage = WM_APP + 1;
constexpr UINT kNewsMessage = WM_APP + 2;
// A window that keeps producing messages must not keep a block waiting.
constexpr int kMaxMessagesPerPump = 64;

constexpr const char* kNoWindow = "No se pudo preparar la descarga";

}  // namespace

WinInetConnection::WinInetConnection(std::chrono::milliseconds giveUpAfter)
    : giveUpAfter_(giveUpAfter) {
    static const ATOM registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &WinInetConnection::notificationProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kNotificationClass;
        return RegisterClassExW(&windowClass);
    }();
    // A message-only window of this thread: what the worker posts to it runs
    // here, among the window's other events.
    window_.reset(CreateWindowExW(0, kNotificationClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
    if (registered == 0 || !window_) {
        throw systemFailure(GetLastError(), kNoWindow, "");
    }
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WinInetConnection::~WinInetConnection() {
    stop();
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK WinInetConnection::notificationProc(HWND window, UINT message, WPARAM wParam,
                                                     LPARAM lParam) {
    if (message == kProgressMessage || message == kNewsMessage) {
        auto* self = reinterpret_cast<WinInetConnection*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr) {
            self->deliver(message, wParam, lParam);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void WinInetConnection::deliver(UINT message, WPARAM generation, LPARAM state) {
    // Posted before a stop or a newer start: none of the listener's business.
    if (generation != generation_ || !request_ || listener_ == nullptr) {
        return;
    }
    if (message == kProgressMessage) {
        listener_->onProgress(static_cast<std::int16_t>(state));
    } else {
        listener_->onNews();
    }
}

void WinInetConnection::start(const transfer::ConnectionRequest& request) {
    std::optional<WinInetUrl> url = crackUrl(request.url);
    if (!url) {
        throw transfer::transferFailure(transfer::TransferFault::kInvalidAddress, request.url);
    }
    stop();
    WinInetRequest::Settings settings;
    settings.url = std::move(*url);
    settings.headers = request.headers;
    settings.timeout = giveUpAfter_;
    settings.window = window_.get();
    settings.progressMessage = kProgressMessage;
    settings.newsMessage = kNewsMessage;
    settings.generation = static_cast<WPARAM>(generation_);
    request_ = WinInetRequest::start(std::move(settings));
}

void WinInetConnection::stop() noexcept {
    ++generation_;
    block_ = WinInetRequest::Block{};
    if (request_) {
        request_->cancel();
        request_.reset();
    }
}

const transfer::Answer* WinInetConnection::answer() const {
    return request_ ? request_->answer() : nullptr;
}

std::optional<transfer::ConnectionFault> WinInetConnection::failure() const {
    // With no request there is nothing to read, whatever ended the last one.
    if (!request_) {
        return transfer::ConnectionFault{transfer::TransferFault::kCancelled, ""};
    }
    return request_->failure();
}

transfer::Connection::Step WinInetConnection::next(std::string_view& block) {
    block = {};
    if (!request_) {
        return Step::kFailed;
    }
    switch (request_->take(block_)) {
        case WinInetRequest::Progress::Data:
            block = std::string_view(block_.data.get(), block_.size);
            return Step::kBlock;
        case WinInetRequest::Progress::Waiting:
            return Step::kWaiting;
        case WinInetRequest::Progress::Ended:
            return Step::kEnded;
        case WinInetRequest::Progress::Failed:
            break;
    }
    return Step::kFailed;
}

std::int64_t WinInetConnection::bufferedBytes() const {
    return request_ ? static_cast<std::int64_t>(request_->queuedBytes()) : 0;
}

bool WinInetConnection::wait(std::chrono::milliseconds limit) {
    woken_ = false;
    // Held so that its event stays valid should the request be replaced
    // while the window's messages run.
    const std::shared_ptr<WinInetRequest> request = request_;
    limit = std::max(limit, std::chrono::milliseconds::zero());
    if (request) {
        // Less body than a wake's worth signals nothing: the window looks in
        // on its own this often.
        limit = std::min(limit, WinInetRequest::kWakeAfter);
    }
    const HANDLE arrivals = request ? request->arrivals() : nullptr;
    const DWORD handles = request ? 1 : 0;
    const DWORD woken = MsgWaitForMultipleObjectsEx(handles, request ? &arrivals : nullptr,
                                                    static_cast<DWORD>(limit.count()), QS_ALLINPUT,
                                                    MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0 + handles) {
        return pumpMessages();
    }
    return true;
}

bool WinInetConnection::pumpMessages() {
    const std::uint64_t generation = generation_;
    MSG message;
    for (int count = 0;
         count < kMaxMessagesPerPump && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE;
         ++count) {
        if (message.message == WM_QUIT) {
            // The program's own loop must still see it and end.
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (woken_ || generation != generation_) {
            break;
        }
    }
    return true;
}

}  // namespace quibrant::win32
