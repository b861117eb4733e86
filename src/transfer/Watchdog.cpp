#include "transfer/Watchdog.h"

namespace quibrant::transfer {

namespace {
constexpr float kTimeOutSeconds = 10;
// A progress value of 1 or less counts as nothing received.
constexpr float kDataFlowing = 1;
}  // namespace

WatchdogVerdict watchdogVerdict(float progressValue, float elapsedSeconds) {
    if (progressValue > kDataFlowing) {
        return WatchdogVerdict::Stop;
    }
    return elapsedSeconds > kTimeOutSeconds ? WatchdogVerdict::TimeOut : WatchdogVerdict::Wait;
}

}  // namespace quibrant::transfer
