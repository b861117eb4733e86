#pragma once

#include <chrono>

#include "platform/Clock.h"

namespace quibrant::posix {

// Seconds since the program started on a monotonic clock: it never jumps with
// the wall clock and never wraps at midnight.
class SteadyClock : public platform::Clock {
  public:
    double seconds() override {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace quibrant::posix
