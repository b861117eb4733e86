#pragma once

#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "win32/wininet/WinInetAnswer.h"
#include "win32/wininet/WinInetHandle.h"
#include "win32/wininet/WinInetUrl.h"

namespace quibrant::win32 {

// One GET over WinINet, run by a worker thread of its own with WinINet's
// blocking calls. It reports the component's states by posting them to a
// window of the thread that asked, and passes the body on through a bounded
// queue of blocks: when the reader falls behind, the worker stops reading
// and the network waits, so memory stays flat whatever the file's size.
//
// The window's thread owns the request through a shared pointer and so does
// the worker; a cancelled request lets go at once, and its worker ends on
// its own as soon as its current call returns.
class WinInetRequest : public std::enable_shared_from_this<WinInetRequest> {
  public:
    struct Settings {
        WebUrl url;
        // Credentials answer a challenge from this origin only, over HTTPS.
        std::optional<WebUrl> mainServer;
        std::string userName;
        std::string password;
        // How long WinINet itself waits for a byte before giving up.
        std::chrono::milliseconds receiveTimeout{60000};
        // Sent as they are, e.g. the range of a body asked for again.
        std::vector<std::pair<std::string, std::string>> headers;
        // A request that goes on with a body the window already has posts no
        // states: the window must see one download, not two.
        bool silent = false;
        // States are posted to `window` as `message`, with `generation` as
        // WPARAM and the state as LPARAM.
        HWND window = nullptr;
        UINT message = 0;
        WPARAM generation = 0;
    };

    // A piece of the body as the worker read it.
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t size = 0;
        std::size_t capacity = 0;
    };

    enum class Progress { Data, Waiting, Ended, Failed };

    // The most one read asks for; a block holds what one read returned.
    static constexpr std::size_t kBlockSize = 64 * 1024;
    // The worker stops reading while this much waits for the window.
    static constexpr std::size_t kMaxQueuedBytes = 1024 * 1024;
    // The window is woken once this much waits; less waits at most
    // kWakeAfter, when the window looks in on its own.
    static constexpr std::size_t kWakeBytes = 256 * 1024;
    static constexpr std::chrono::milliseconds kWakeAfter{20};

    // Starts the worker. Throws platform::Failure when no thread can start.
    static std::shared_ptr<WinInetRequest> start(Settings settings);

    explicit WinInetRequest(Settings settings);
    WinInetRequest(const WinInetRequest&) = delete;
    WinInetRequest& operator=(const WinInetRequest&) = delete;

    // Stops posting states and reading. Never throws.
    void cancel() noexcept;

    // The final answer once it is in, else nothing.
    std::shared_ptr<const WinInetAnswer> answer() const;

    // Gives `block` back for reuse and, when the worker has one ready, puts
    // the next block of the body in its place.
    Progress take(Block& block);

    // Signalled when the answer arrives, when kWakeBytes wait, and
    // when the request ends.
    HANDLE arrivals() const { return arrivals_.get(); }

    // When body bytes last arrived (or the answer, before any did).
    std::chrono::steady_clock::time_point lastArrival() const;
    std::int64_t received() const;
    std::size_t queuedBytes() const;
    // The WinINet or Windows error that ended the request, 0 for none.
    DWORD error() const;
    // Why the request ended without an answer, for the user; "" otherwise.
    std::string failureDescription() const;

  private:
    static void CALLBACK statusCallback(HINTERNET handle, DWORD_PTR context, DWORD status,
                                        LPVOID information, DWORD length);

    void run();
    // Sends one request, following redirects and answering one challenge;
    // returns the handle whose answer is final, or null when there is none.
    InternetHandle exchange(HINTERNET session, InternetHandle& connection);
    InternetHandle open(HINTERNET session, InternetHandle& connection, const WebUrl& url,
                        const std::string& authorization);
    void readBody(InternetHandle& request);
    // Runs one blocking WinINet call on `handle`, which cancel() may close
    // meanwhile; the call's error, or ERROR_INTERNET_OPERATION_CANCELLED.
    template <typename Call>
    DWORD blocking(InternetHandle& handle, Call call);

    void onStatus(DWORD status);
    void post(std::int16_t state);
    void publish(WinInetAnswer answer);
    void failWithoutAnswer(DWORD error);
    void end(DWORD error);
    bool cancelled() const;

    const Settings settings_;
    UniqueHandle arrivals_;

    mutable std::mutex mutex_;
    std::condition_variable space_;
    bool cancelled_ = false;
    bool answered_ = false;
    bool ended_ = false;
    DWORD error_ = 0;
    std::string failureDescription_;
    std::shared_ptr<const WinInetAnswer> answer_;
    HINTERNET inCall_ = nullptr;
    HINTERNET closedByCancel_ = nullptr;
    bool closeDone_ = false;
    std::deque<Block> ready_;
    std::vector<Block> spare_;
    std::size_t queuedBytes_ = 0;
    std::int64_t received_ = 0;
    std::chrono::steady_clock::time_point lastArrival_;
    // The URL being fetched now: the last one a redirect led to. Only the
    // worker touches it.
    WebUrl current_;
};

}  // namespace quibrant::win32
