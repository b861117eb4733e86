#pragma once

#include <chrono>

namespace quibrant {

// The event rounds the window host runs for the form. A download calls doEvents
// after every 1 KiB piece, and one round through a toolkit's event queue
// costs more than receiving a piece, so events that arrived within the last
// millisecond wait for the next round: no one sees the difference, and a fast
// download runs markedly faster. The host also needs to know when it is
// inside a round, since closing from there must not return into the
// download's loop.
class EventRounds {
  public:
    // Runs `round` unless the last round began less than a millisecond ago.
    template <typename Round>
    void run(Round&& round) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < kEventRound) {
            return;
        }
        last_ = now;
        struct Inside {
            int& depth;
            explicit Inside(int& d) : depth(d) { ++depth; }
            ~Inside() { --depth; }
        } inside(depth_);
        round();
    }

    // True while a round runs, i.e. inside a download's loop.
    bool running() const { return depth_ > 0; }

  private:
    static constexpr std::chrono::milliseconds kEventRound{1};
    std::chrono::steady_clock::time_point last_{};
    int depth_ = 0;
};

}  // namespace quibrant
