#pragma once

namespace quibrant::transfer {

// What the connection watchdog does at one tick of its timer.
enum class WatchdogVerdict {
    // Nothing has arrived yet, but the request is still young.
    Wait,
    // Data flows: the watchdog stops itself for good.
    Stop,
    // Nothing arrived in time: the program gives up.
    TimeOut,
};

// The watchdog's rule from the progress value (bytes received) and the
// seconds since the request was issued. The clock is monotonic, so a request
// that spans midnight is timed like any other.
WatchdogVerdict watchdogVerdict(float progressValue, float elapsedSeconds);

}  // namespace quibrant::transfer
