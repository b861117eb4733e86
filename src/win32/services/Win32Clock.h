#pragma once

#include <windows.h>

#include "platform/Clock.h"

namespace quibrant::win32 {

// Seconds since this clock was made, on the performance counter: monotonic,
// unaffected by changes of the wall clock, no wrap at midnight.
class Win32Clock : public platform::Clock {
  public:
    Win32Clock() {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);
        frequency_ = static_cast<double>(frequency.QuadPart);
        start_ = now();
    }

    double seconds() override { return static_cast<double>(now() - start_) / frequency_; }

  private:
    static LONGLONG now() {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        return counter.QuadPart;
    }

    double frequency_ = 1.0;
    LONGLONG start_ = 0;
};

}  // namespace quibrant::win32
