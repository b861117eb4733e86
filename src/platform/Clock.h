#pragma once

namespace quibrant::platform {

// The program's timer: seconds, with their fraction, on a monotonic clock that
// starts near zero when the program starts, so single precision keeps
// sub-second accuracy for days.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual double seconds() = 0;
};

}  // namespace quibrant::platform
