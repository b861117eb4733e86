#include "win32/wininet/WinInetTransfer.h"

#include <algorithm>

#include "win32/services/Win32Failure.h"
#include "win32/wininet/WinInetErrors.h"

namespace quibrant::win32 {

namespace {

constexpr const char* kGet = "GET";
constexpr const wchar_t* kNotificationClass = L"QuibrantWinInetNotifications";
constexpr UINT kStateMessage = WM_APP + 1;
// The worker's own time-out comes a little after the window's stall check,
// so that a stall is reported as one; it only frees the worker in the end.
constexpr std::chrono::milliseconds kWorkerTimeoutMargin{1000};
// A window that keeps producing messages must not keep a piece waiting.
constexpr int kMaxMessagesPerPump = 64;

constexpr const char* kNoWindow = "No se pudo preparar la descarga";
constexpr const char* kErrorNumber = "error ";

transfer::BodyHeaders bodyHeaders(const WinInetAnswer& answer) {
    return {answer.status, headerOf(answer, "Content-Length"), headerOf(answer, "Content-Range"),
            headerOf(answer, "ETag"), headerOf(answer, "Last-Modified")};
}

}  // namespace

WinInetTransfer::WinInetTransfer(const std::string& mainServerBaseUrl)
    : mainServer_(parseWebUrl(mainServerBaseUrl)) {
    static const ATOM registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &WinInetTransfer::notificationProc;
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

WinInetTransfer::~WinInetTransfer() {
    dropRequest();
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK WinInetTransfer::notificationProc(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
    if (message == kStateMessage) {
        auto* self = reinterpret_cast<WinInetTransfer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr) {
            self->deliver(wParam, static_cast<std::int16_t>(lParam));
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void WinInetTransfer::onStateChanged(StateChangedHandler handler) {
    handler_ = std::move(handler);
}

void WinInetTransfer::deliver(WPARAM generation, std::int16_t state) {
    if (generation != generation_ || cancelled_ || !handler_) {
        return;
    }
    // The handler may replace itself, or start another request, while it runs.
    const StateChangedHandler handler = handler_;
    handler(state);
}

void WinInetTransfer::Execute(const std::string& operation) {
    if (operation != kGet) {
        throw transfer::transferFailure(transfer::TransferFault::kUnsupportedOperation, operation);
    }
    std::optional<WebUrl> url = parseWebUrl(URL());
    if (!url) {
        throw transfer::transferFailure(transfer::TransferFault::kInvalidAddress, URL());
    }

    dropRequest();
    ++generation_;
    cancelled_ = false;
    ended_ = false;
    failure_.reset();
    block_ = WinInetRequest::Block{};
    blockPos_ = 0;
    firstAnswer_.reset();
    received_ = 0;
    resumes_ = 0;
    judging_ = false;
    lastBreak_.reset();

    WinInetRequest::Settings settings;
    settings.url = std::move(*url);
    settings.mainServer = mainServer_;
    settings.userName = UserName();
    settings.password = Password();
    settings.receiveTimeout = stallTimeout_ + kWorkerTimeoutMargin;
    settings.window = window_.get();
    settings.message = kStateMessage;
    settings.generation = static_cast<WPARAM>(generation_);
    settings_ = settings;
    startRequest(std::move(settings));
}

void WinInetTransfer::startRequest(WinInetRequest::Settings settings) {
    request_ = WinInetRequest::start(std::move(settings));
}

void WinInetTransfer::dropRequest() {
    if (request_) {
        request_->cancel();
        request_.reset();
    }
}

std::shared_ptr<const WinInetAnswer> WinInetTransfer::answer() const {
    if (firstAnswer_) {
        return firstAnswer_;
    }
    return request_ ? request_->answer() : nullptr;
}

std::string WinInetTransfer::GetHeader(const std::string& name) {
    const auto first = answer();
    return first ? headerOf(*first, name) : "";
}

int WinInetTransfer::responseCode() const {
    const auto first = answer();
    return first ? first->status : 0;
}

std::string WinInetTransfer::lastFailure() const {
    return request_ ? request_->failureDescription() : "";
}

platform::Failure WinInetTransfer::requestFailure() const {
    const std::string description = lastFailure();
    if (cancelled_ || description.empty()) {
        return transfer::transferFailure(transfer::TransferFault::kCancelled);
    }
    return platform::Failure(platform::errors::kTransferFailed, description);
}

std::int64_t WinInetTransfer::bufferedBytes() const {
    const std::size_t queued = request_ ? request_->queuedBytes() : 0;
    return static_cast<std::int64_t>(queued + (block_.size - blockPos_));
}

std::string_view WinInetTransfer::GetChunk(std::int16_t size) {
    if (size <= 0) {
        return {};
    }
    if (failure_) {
        throw *failure_;
    }
    if (!request_) {
        throw transfer::transferFailure(transfer::TransferFault::kNoRequest);
    }
    for (;;) {
        if (blockPos_ < block_.size) {
            const std::size_t piece =
                std::min(static_cast<std::size_t>(size), block_.size - blockPos_);
            const std::string_view chunk(block_.data.get() + blockPos_, piece);
            blockPos_ += piece;
            return chunk;
        }
        if (cancelled_) {
            fail(transfer::transferFailure(transfer::TransferFault::kCancelled));
        }
        if (ended_) {
            return {};
        }
        const WinInetRequest::Progress progress = request_->take(block_);
        blockPos_ = 0;
        if (judging_ && progress != WinInetRequest::Progress::Waiting) {
            judgeResumed();
            if (ended_) {
                return {};
            }
        }
        switch (progress) {
            case WinInetRequest::Progress::Data:
                received_ += static_cast<std::int64_t>(block_.size);
                break;
            case WinInetRequest::Progress::Waiting:
                if (!waitForData()) {
                    platform::Failure stalled =
                        transfer::stalledBody(stallTimeout_, bodyProgress());
                    request_->cancel();
                    resumeAfterBreak(std::move(stalled));
                }
                break;
            case WinInetRequest::Progress::Ended:
            case WinInetRequest::Progress::Failed:
                if (!onEnd(progress)) {
                    ended_ = true;
                    return {};
                }
                break;
        }
    }
}

bool WinInetTransfer::waitForData() {
    const std::uint64_t generation = generation_;
    // Held so that the event stays valid should the request be replaced
    // while the window's messages run.
    const std::shared_ptr<WinInetRequest> request = request_;
    const auto deadline = request->lastArrival() + stallTimeout_;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
        return false;
    }
    const auto left = std::min(std::chrono::ceil<std::chrono::milliseconds>(deadline - now),
                               WinInetRequest::kWakeAfter);
    const HANDLE arrivals = request->arrivals();
    const DWORD woken = MsgWaitForMultipleObjectsEx(1, &arrivals, static_cast<DWORD>(left.count()),
                                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    // Only the window's own messages can cancel or replace the request.
    if (woken != WAIT_OBJECT_0 && woken != WAIT_TIMEOUT) {
        runMessages(generation);
    }
    return true;
}

void WinInetTransfer::pauseUntil(std::chrono::steady_clock::time_point until) {
    const std::uint64_t generation = generation_;
    for (auto now = std::chrono::steady_clock::now(); now < until;
         now = std::chrono::steady_clock::now()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now);
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        runMessages(generation);
    }
}

void WinInetTransfer::runMessages(std::uint64_t generation) {
    const bool quitting = !pumpMessages();
    // The window may have cancelled or replaced the request while its
    // messages ran; a replaced one is no business of this call any more.
    if (generation != generation_) {
        throw transfer::transferFailure(transfer::TransferFault::kCancelled);
    }
    if (quitting) {
        Cancel();
    }
    if (cancelled_) {
        fail(transfer::transferFailure(transfer::TransferFault::kCancelled));
    }
}

bool WinInetTransfer::pumpMessages() {
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
        if (cancelled_ || generation != generation_) {
            break;
        }
    }
    return true;
}

bool WinInetTransfer::onEnd(WinInetRequest::Progress ending) {
    if (ending == WinInetRequest::Progress::Failed) {
        const std::string noAnswer = request_->failureDescription();
        if (noAnswer.empty()) {
            const DWORD error = request_->error();
            return resumeAfterBreak(transfer::brokenBody(
                faultOfInternetError(error), bodyProgress(), kErrorNumber + std::to_string(error)));
        }
        if (!firstAnswer_) {
            fail(platform::Failure(platform::errors::kTransferFailed, noAnswer));
        }
        // The server could not be reached again: the body broke as before.
        return resumeAfterBreak(lastBreak_);
    }
    // A clean end short of the announced length is a close before the end;
    // given up, the caller finds the body short, as without resuming.
    const auto first = answer();
    const auto version = first ? transfer::resumableBody(bodyHeaders(*first)) : std::nullopt;
    return version && received_ < version->length && resumeAfterBreak(std::nullopt);
}

bool WinInetTransfer::resumeAfterBreak(std::optional<platform::Failure> withoutResume) {
    const auto first = answer();
    const auto version = first ? transfer::resumableBody(bodyHeaders(*first)) : std::nullopt;
    if (!version || resumes_ >= transfer::kMostResumes || received_ >= version->length) {
        if (withoutResume) {
            fail(std::move(*withoutResume));
        }
        return false;
    }
    firstAnswer_ = first;
    lastBreak_ = std::move(withoutResume);
    ++resumes_;
    block_ = WinInetRequest::Block{};
    pauseUntil(std::chrono::steady_clock::now() + transfer::resumeWait(resumes_, resumeWait_));

    WinInetRequest::Settings settings = settings_;
    settings.headers = transfer::resumeRequestHeaders(*version, received_);
    settings.silent = true;
    dropRequest();
    startRequest(std::move(settings));
    judging_ = true;
    return true;
}

void WinInetTransfer::judgeResumed() {
    const auto resumed = request_->answer();
    if (!resumed) {
        // Nothing came back at all: another break, seen at the request's end.
        return;
    }
    judging_ = false;
    // Only a resumable first answer is ever resumed.
    const auto version = transfer::resumableBody(bodyHeaders(*firstAnswer_));
    const transfer::ResumeVerdict verdict =
        transfer::judgeResumed(*version, received_, bodyHeaders(*resumed));
    if (verdict == transfer::ResumeVerdict::kContinues) {
        return;
    }
    // Not a byte of this answer joins the body.
    request_->cancel();
    block_ = WinInetRequest::Block{};
    if (verdict == transfer::ResumeVerdict::kChanged) {
        fail(transfer::brokenBody(transfer::TransferFault::kChangedOnServer, bodyProgress(), ""));
    }
    if (lastBreak_) {
        fail(std::move(*lastBreak_));
    }
    ended_ = true;
}

void WinInetTransfer::fail(platform::Failure failure) {
    failure_.emplace(std::move(failure));
    throw *failure_;
}

transfer::BodyProgress WinInetTransfer::bodyProgress() const {
    const auto first = answer();
    return {received_, first ? headerOf(*first, "Content-Length") : ""};
}

void WinInetTransfer::Cancel() {
    cancelled_ = true;
    if (request_) {
        request_->cancel();
    }
}

}  // namespace quibrant::win32
