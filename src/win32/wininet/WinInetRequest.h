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

#include "transfer/Connection.h"
#include "win32/wininet/WinInetHandle.h"
#include "win32/wininet/WinInetUrl.h"

namespace quibrant::win32 {

// One GET over WinINet, run by a worker thread of its own with WinINet's
// blocking calls. It posts its news to a window of the thread that asked,
// and passes the body on through a bounded queue of blocks: when the reader
// falls behind, the worker stops reading and the network waits, so memory
// stays flat whatever the file's size.
//
// The window's thread owns the request through a shared pointer and so does
// the worker; a cancelled request lets go at once, and its worker ends on
// its own as soon as its current call returns.
class WinInetRequest : public std::enable_shared_from_this<WinInetRequest> {
  public:
    struct Settings {
        WinInetUrl url;
        // Sent as they are: a range, a login.
        std::vector<std::pair<std::string, std::string>> headers;
        // How long WinINet itself waits for a byte before giving up.
        std::chrono::milliseconds timeout{60000};
        // News is posted to `window` with `generation` as WPARAM: the network's
        // progress as `progressMessage` with the state (1 to 10) as LPARAM;
        // the answer's arrival and the request's end as `newsMessage`.
        HWND window = nullptr;
        UINT progressMessage = 0;
        UINT newsMessage = 0;
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

    // Stops posting news and reading. Never throws.
    void cancel() noexcept;

    // The answer head once it is in, else null; it stays as it is for the
    // request's life.
    const transfer::Answer* answer() const;
    // How the request failed, once it has; nothing while it runs or after a
    // body that ended as the server ended it.
    std::optional<transfer::ConnectionFault> failure() const;

    // Gives `block` back for reuse and, when the worker has one ready, puts
    // the next block of the body in its place.
    Progress take(Block& block);

    // Signalled when the answer arrives, when kWakeBytes wait, and when the
    // request ends.
    HANDLE arrivals() const { return arrivals_.get(); }

    std::size_t queuedBytes() const;

  private:
    static void CALLBACK statusCallback(HINTERNET handle, DWORD_PTR context, DWORD status,
                                        LPVOID information, DWORD length);

    void run();
    // Sends the request; returns its handle once the answer is in, or null
    // when there is none.
    InternetHandle send(HINTERNET session, InternetHandle& connection);
    void readBody(InternetHandle& request);
    // Runs one blocking WinINet call on `handle`, which cancel() may close
    // meanwhile; the call's error, or ERROR_INTERNET_OPERATION_CANCELLED.
    template <typename Call>
    DWORD blocking(InternetHandle& handle, Call call);

    void onStatus(DWORD status);
    // Posts `message` unless the request was cancelled. Called under the lock.
    void postLocked(UINT message, LPARAM state);
    void publish(transfer::Answer answer);
    void end(DWORD error, bool noStatusLine = false);

    const Settings settings_;
    UniqueHandle arrivals_;

    mutable std::mutex mutex_;
    std::condition_variable space_;
    bool cancelled_ = false;
    bool ended_ = false;
    DWORD error_ = ERROR_SUCCESS;
    // The server accepted the connection and closed it without a word.
    bool noStatusLine_ = false;
    // Written once by the worker, before `answered_`; read-only from then on.
    std::optional<transfer::Answer> answer_;
    bool answered_ = false;
    HINTERNET inCall_ = nullptr;
    HINTERNET closedByCancel_ = nullptr;
    bool closeDone_ = false;
    std::deque<Block> ready_;
    std::vector<Block> spare_;
    std::size_t queuedBytes_ = 0;
};

}  // namespace quibrant::win32
