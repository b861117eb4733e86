#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "transfer/Connection.h"

namespace quibrant::test {

// How the scripted server answers one request.
struct Reply {
    // No head means the request fails before any answer, with `fault`.
    std::optional<transfer::Answer> head;
    // The body, block by block.
    std::vector<std::string> blocks;
    // After the blocks: the body ends, breaks with `fault`, or stalls.
    enum class Then { kEnd, kBreak, kStall } then = Then::kEnd;
    transfer::ConnectionFault fault{transfer::TransferFault::kConnectionReset, ""};
};

// A connection with no sockets: every request the transfer starts is
// recorded and answered from a script, and its news waits in a queue that
// the test's event loop (run, wait) delivers. Time is the scripted clock's:
// a wait with nothing to deliver moves it on by the whole wait.
class ScriptedConnection : public transfer::Connection {
  public:
    using Script = std::function<Reply(const transfer::ConnectionRequest& request)>;
    using Time = std::chrono::steady_clock::time_point;

    explicit ScriptedConnection(Script script) : script_(std::move(script)) {}

    // Delivers the queued news, and what that news queues in turn.
    void run() {
        while (!queue_.empty()) {
            deliverOne();
        }
    }
    Time now() const { return now_; }

    std::vector<transfer::ConnectionRequest> requests;
    // Runs inside every wait, as a window event would.
    std::function<void()> duringWait;
    std::chrono::milliseconds waited{0};

    void setListener(Listener* listener) override { listener_ = listener; }
    void start(const transfer::ConnectionRequest& request) override {
        stop();
        requests.push_back(request);
        reply_ = script_(request);
        const std::uint64_t generation = generation_;
        for (const std::int16_t state : {3, 4, 5, 6}) {
            queue_.push_back({generation, state});
        }
        if (reply_.head) {
            queue_.push_back({generation, 8});
        }
        queue_.push_back({generation, 0});
    }
    void stop() noexcept override {
        ++generation_;
        answered_ = false;
        failed_ = false;
        next_ = 0;
        reply_ = Reply{};
    }
    const transfer::Answer* answer() const override { return answered_ ? &*reply_.head : nullptr; }
    std::optional<transfer::ConnectionFault> failure() const override {
        return failed_ ? std::optional(reply_.fault) : std::nullopt;
    }
    Step next(std::string_view& block) override {
        if (next_ < reply_.blocks.size()) {
            block = reply_.blocks[next_++];
            if (next_ == reply_.blocks.size() && reply_.then == Reply::Then::kBreak) {
                failed_ = true;
            }
            return Step::kBlock;
        }
        if (reply_.then == Reply::Then::kStall) {
            return Step::kWaiting;
        }
        failed_ = reply_.then == Reply::Then::kBreak;
        return failed_ ? Step::kFailed : Step::kEnded;
    }
    bool wait(std::chrono::milliseconds limit) override {
        if (duringWait) {
            duringWait();
        }
        if (queue_.empty()) {
            now_ += limit;
            waited += limit;
        } else {
            deliverOne();
        }
        return true;
    }
    void wake() override {}
    std::int64_t bufferedBytes() const override {
        std::int64_t held = 0;
        for (std::size_t i = next_; i < reply_.blocks.size(); ++i) {
            held += static_cast<std::int64_t>(reply_.blocks[i].size());
        }
        return held;
    }

  private:
    struct News {
        std::uint64_t generation;
        std::int16_t state;  // 0: an answer or an end
    };

    void deliverOne() {
        const News news = queue_.front();
        queue_.pop_front();
        if (news.generation != generation_ || listener_ == nullptr) {
            return;
        }
        if (news.state != 0) {
            listener_->onProgress(news.state);
            return;
        }
        answered_ = reply_.head.has_value();
        failed_ = !answered_;
        listener_->onNews();
    }

    Script script_;
    Listener* listener_ = nullptr;
    std::deque<News> queue_;
    std::uint64_t generation_ = 0;
    Reply reply_;
    bool answered_ = false;
    bool failed_ = false;
    std::size_t next_ = 0;
    Time now_{};
};

}  // namespace quibrant::test
