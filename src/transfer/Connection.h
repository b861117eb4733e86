#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "transfer/TransferFailures.h"

namespace quibrant::transfer {

// The head of one HTTP answer: its status and its headers as the server sent
// them (a header sent twice is listed twice).
struct Answer {
    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;

    // The header's value, names compared without regard to case; repeated
    // headers joined with ", "; "" when absent.
    std::string header(const std::string& name) const;
};

// One request as the transfer hands it to a connection: an absolute http or
// https address, already checked and normalised, and the headers to send
// besides the ones every request carries (a range, a login).
struct ConnectionRequest {
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
};

// Why a request failed, as the system's network library said it: the fault
// the transfer words for the user, and a number for support ("error 12029",
// or "" when the library gives none worth reading out).
struct ConnectionFault {
    TransferFault fault = TransferFault::kNetworkFailed;
    std::string detail;
};

// What one system supplies to the transfer: a single HTTP(S) GET at a time,
// with no rules of its own. It follows no redirect, answers no login
// challenge and asks for no range unless told; those rules, resuming and
// every text the user reads belong to the transfer above it.
//
// Everything is called on the window's thread. The connection's news reaches
// the listener through the window's event queue, never from inside a call
// into the connection, and only news of the request that is current: once
// `start` or `stop` has run, nothing of an earlier request is heard again.
class Connection {
  public:
    class Listener {
      public:
        // The network's progress, as the component's state numbers 1 to 10.
        virtual void onProgress(std::int16_t state) = 0;
        // The current request's answer head arrived, or the request ended.
        virtual void onNews() = 0;

      protected:
        ~Listener() = default;
    };

    // What `next` found.
    enum class Step {
        // A block of the body, 1 byte or more.
        kBlock,
        // Nothing yet: the body goes on.
        kWaiting,
        // The body ended as the server ended it.
        kEnded,
        // The request failed; `failure` says how.
        kFailed,
    };

    virtual ~Connection() = default;

    virtual void setListener(Listener* listener) = 0;

    // Starts `request` in place of the current one. Throws platform::Failure
    // when it cannot even be started.
    virtual void start(const ConnectionRequest& request) = 0;
    // Ends the current request at once. Never throws.
    virtual void stop() noexcept = 0;

    // The current request's answer head once it is in (a final status, 200
    // or more), else nothing. Valid until the next start or stop.
    virtual const Answer* answer() const = 0;
    // Once the current request has failed (with or without an answer), how.
    virtual std::optional<ConnectionFault> failure() const = 0;

    // The next block of the current request's body. A block stays valid
    // until the next call of next, start or stop.
    virtual Step next(std::string_view& block) = 0;

    // Runs the window's events until the current request has news (a block,
    // its answer, its end), `limit` has passed or `wake` is called, whichever
    // comes first; it may come back earlier. False when the program is ending
    // (its event loop was told to quit): the caller gives up.
    virtual bool wait(std::chrono::milliseconds limit) = 0;
    // Ends a wait that runs at once, e.g. on a cancel from the window's events.
    virtual void wake() = 0;

    // Bytes of the body received from the network and not handed out yet.
    virtual std::int64_t bufferedBytes() const = 0;
};

}  // namespace quibrant::transfer
