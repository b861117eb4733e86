#include "win32/wininet/WinInetRequest.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "platform/Failure.h"
#include "transfer/TransferFailures.h"
#include "win32/services/Utf16.h"
#include "win32/services/Win32Failure.h"
#include "win32/wininet/WinInetAnswer.h"
#include "win32/wininet/WinInetErrors.h"

namespace quibrant::win32 {
namespace {

constexpr const wchar_t* kUserAgent = L"Quibrant Descarga";
constexpr const wchar_t* kGet = L"GET";
// What one read returns under wine, and the least a block is made for.
constexpr std::size_t kSmallestBlock = 8 * 1024;
// An answer without a status line: wine reports a server that accepted the
// connection and closed it without a word as a success of the send.
constexpr DWORD kNoStatusLine = ERROR_HTTP_INVALID_SERVER_RESPONSE;

constexpr const char* kCannotStart = "No se pudo iniciar la descarga";

// The installer must come from the server every time, byte for byte, and
// nothing of it may end up in the browser's cache. Authentication and
// redirects are the transfer's to decide, not WinINet's: it would give the
// user's credentials to whoever asks and follow HTTPS down to plain HTTP.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH |
                                INTERNET_FLAG_NO_AUTO_REDIRECT;

std::int16_t stateOf(DWORD status) {
    switch (status) {
        case INTERNET_STATUS_RESOLVING_NAME:
            return 1;
        case INTERNET_STATUS_NAME_RESOLVED:
            return 2;
        case INTERNET_STATUS_CONNECTING_TO_SERVER:
            return 3;
        case INTERNET_STATUS_CONNECTED_TO_SERVER:
            return 4;
        case INTERNET_STATUS_SENDING_REQUEST:
            return 5;
        case INTERNET_STATUS_REQUEST_SENT:
            return 6;
        case INTERNET_STATUS_RECEIVING_RESPONSE:
            return 7;
        case INTERNET_STATUS_RESPONSE_RECEIVED:
            return 8;
        case INTERNET_STATUS_CLOSING_CONNECTION:
            return 9;
        case INTERNET_STATUS_CONNECTION_CLOSED:
            return 10;
        default:
            return 0;
    }
}

void setTimeouts(HINTERNET handle, std::chrono::milliseconds timeout) {
    DWORD value = static_cast<DWORD>(timeout.count());
    for (const DWORD option : {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                               INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(handle, option, &value, sizeof(value));
    }
}

}  // namespace

std::shared_ptr<WinInetRequest> WinInetRequest::start(Settings settings) {
    auto request = std::make_shared<WinInetRequest>(std::move(settings));
    if (!request->arrivals_.valid()) {
        throw systemFailure(GetLastError(), kCannotStart, "");
    }
    try {
        std::thread([request] { request->run(); }).detach();
    } catch (const std::system_error& error) {
        throw systemFailure(static_cast<std::uint32_t>(error.code().value()), kCannotStart, "");
    }
    return request;
}

WinInetRequest::WinInetRequest(Settings settings)
    : settings_(std::move(settings)), arrivals_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

void WinInetRequest::cancel() noexcept {
    HINTERNET closing = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (cancelled_) {
            return;
        }
        cancelled_ = true;
        closing = inCall_;
        closedByCancel_ = closing;
        ready_.clear();
        spare_.clear();
        queuedBytes_ = 0;
    }
    // Closing the handle ends a blocking call on it at once on Windows. It
    // happens outside the lock: WinINet may call back while it closes.
    if (closing != nullptr) {
        InternetCloseHandle(closing);
    }
    {
        std::lock_guard lock(mutex_);
        closeDone_ = true;
    }
    space_.notify_all();
    SetEvent(arrivals_.get());
}

const transfer::Answer* WinInetRequest::answer() const {
    std::lock_guard lock(mutex_);
    return answered_ ? &*answer_ : nullptr;
}

std::optional<transfer::ConnectionFault> WinInetRequest::failure() const {
    std::lock_guard lock(mutex_);
    if (!ended_ || error_ == ERROR_SUCCESS) {
        return std::nullopt;
    }
    return transfer::ConnectionFault{
        noStatusLine_ ? transfer::TransferFault::kConnectionClosed : faultOfInternetError(error_),
        transfer::errorDetail(error_)};
}

WinInetRequest::Progress WinInetRequest::take(Block& block) {
    std::lock_guard lock(mutex_);
    if (block.data && !cancelled_) {
        block.size = 0;
        spare_.push_back(std::move(block));
    }
    block = Block{};
    if (!ready_.empty()) {
        const bool wasFull = queuedBytes_ >= kMaxQueuedBytes;
        block = std::move(ready_.front());
        ready_.pop_front();
        queuedBytes_ -= block.size;
        if (wasFull) {
            space_.notify_one();
        }
        return Progress::Data;
    }
    if (ended_) {
        return error_ == ERROR_SUCCESS ? Progress::Ended : Progress::Failed;
    }
    return Progress::Waiting;
}

std::size_t WinInetRequest::queuedBytes() const {
    std::lock_guard lock(mutex_);
    return queuedBytes_;
}

void CALLBACK WinInetRequest::statusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID,
                                             DWORD) {
    if (context != 0) {
        reinterpret_cast<WinInetRequest*>(context)->onStatus(status);
    }
}

void WinInetRequest::onStatus(DWORD status) {
    const std::int16_t state = stateOf(status);
    if (state == 0) {
        return;
    }
    std::lock_guard lock(mutex_);
    // Once the answer is in, WinINet reports every read of the body as
    // "receiving" and "received"; those are no news to the window.
    if (!answered_) {
        postLocked(settings_.progressMessage, state);
    }
}

void WinInetRequest::postLocked(UINT message, LPARAM state) {
    // After a cancel the window may be gone: nothing more is posted to it.
    if (!cancelled_) {
        PostMessageW(settings_.window, message, settings_.generation, state);
    }
}

template <typename Call>
DWORD WinInetRequest::blocking(InternetHandle& handle, Call call) {
    {
        std::lock_guard lock(mutex_);
        if (cancelled_) {
            return ERROR_INTERNET_OPERATION_CANCELLED;
        }
        inCall_ = handle.get();
    }
    const BOOL done = call(handle.get());
    const DWORD error = done ? ERROR_SUCCESS : GetLastError();
    std::unique_lock lock(mutex_);
    inCall_ = nullptr;
    if (closedByCancel_ != nullptr && closedByCancel_ == handle.get()) {
        // cancel() closes it; this thread must not touch it again, nor close
        // its parents before that close is over.
        handle.release();
        space_.wait(lock, [this] { return closeDone_; });
    }
    return cancelled_ ? ERROR_INTERNET_OPERATION_CANCELLED : error;
}

void WinInetRequest::run() {
    InternetHandle session(
        InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        end(GetLastError());
        return;
    }
    InternetSetStatusCallbackW(session.get(), &WinInetRequest::statusCallback);
    setTimeouts(session.get(), settings_.timeout);
    InternetHandle connection;
    InternetHandle request = send(session.get(), connection);
    if (request) {
        readBody(request);
    }
}

InternetHandle WinInetRequest::send(HINTERNET session, InternetHandle& connection) {
    const WinInetUrl& url = settings_.url;
    const auto context = reinterpret_cast<DWORD_PTR>(this);
    connection.reset(InternetConnectW(session, url.host.c_str(), url.port, nullptr, nullptr,
                                      INTERNET_SERVICE_HTTP, 0, context));
    if (!connection) {
        end(GetLastError());
        return {};
    }
    // wine takes the time-outs from the connection, Windows from the request.
    setTimeouts(connection.get(), settings_.timeout);
    const wchar_t* acceptTypes[] = {L"*/*", nullptr};
    InternetHandle request(
        HttpOpenRequestW(connection.get(), kGet, url.target.c_str(), nullptr, nullptr, acceptTypes,
                         kRequestFlags | (url.secure ? INTERNET_FLAG_SECURE : 0), context));
    if (!request) {
        end(GetLastError());
        return {};
    }
    setTimeouts(request.get(), settings_.timeout);
    for (const auto& [name, value] : settings_.headers) {
        const std::wstring header = widen(name) + L": " + widen(value) + L"\r\n";
        HttpAddRequestHeadersW(request.get(), header.c_str(), static_cast<DWORD>(header.size()),
                               HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    }
    const DWORD error = blocking(
        request, [](HINTERNET handle) { return HttpSendRequestW(handle, nullptr, 0, nullptr, 0); });
    if (error != ERROR_SUCCESS) {
        end(error);
        return {};
    }
    transfer::Answer answer = readAnswer(request.get());
    if (answer.status == 0) {
        end(kNoStatusLine, true);
        return {};
    }
    publish(std::move(answer));
    return request;
}

void WinInetRequest::publish(transfer::Answer answer) {
    {
        std::lock_guard lock(mutex_);
        answer_ = std::move(answer);
        answered_ = true;
        postLocked(settings_.newsMessage, 0);
    }
    SetEvent(arrivals_.get());
}

void WinInetRequest::readBody(InternetHandle& request) {
    // WinINet would report every read of the body; none of them is news.
    InternetSetStatusCallbackW(request.get(), nullptr);
    for (;;) {
        // Asking what is there first lets each read return at once with what
        // arrived; a read of a whole block would wait for the block to fill.
        DWORD available = 0;
        DWORD error = blocking(request, [&available](HINTERNET handle) {
            return InternetQueryDataAvailable(handle, &available, 0, 0);
        });
        if (error != ERROR_SUCCESS || available == 0) {
            end(error);
            return;
        }
        Block block;
        {
            std::unique_lock lock(mutex_);
            space_.wait(lock, [this] { return cancelled_ || queuedBytes_ < kMaxQueuedBytes; });
            if (cancelled_) {
                return;
            }
            if (!spare_.empty()) {
                block = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        const DWORD wanted = std::min<DWORD>(available, kBlockSize);
        // Sized to the reads WinINet makes (8 KiB under wine, up to a whole
        // block on Windows), so the queue's memory follows its bytes.
        if (block.capacity < wanted) {
            block.capacity = std::max<std::size_t>(wanted, kSmallestBlock);
            block.data = std::make_unique<char[]>(block.capacity);
        }
        DWORD got = 0;
        error = blocking(request, [&](HINTERNET handle) {
            return InternetReadFile(handle, block.data.get(), wanted, &got);
        });
        if (error != ERROR_SUCCESS || got == 0) {
            end(error);
            return;
        }
        block.size = got;
        std::lock_guard lock(mutex_);
        if (cancelled_) {
            return;
        }
        queuedBytes_ += got;
        ready_.push_back(std::move(block));
        // Waking the window for every block would cost more than the blocks
        // themselves; it looks in on its own now and then (kWakeAfter).
        if (queuedBytes_ >= kWakeBytes && queuedBytes_ - got < kWakeBytes) {
            SetEvent(arrivals_.get());
        }
    }
}

void WinInetRequest::end(DWORD error, bool noStatusLine) {
    {
        std::lock_guard lock(mutex_);
        if (cancelled_ || ended_) {
            return;
        }
        ended_ = true;
        error_ = error;
        // A call that failed without saying why must not read as a clean end.
        if (!answered_ && error_ == ERROR_SUCCESS) {
            error_ = ERROR_INTERNET_INTERNAL_ERROR;
        }
        noStatusLine_ = noStatusLine;
        postLocked(settings_.newsMessage, 0);
    }
    SetEvent(arrivals_.get());
}

}  // namespace quibrant::win32
