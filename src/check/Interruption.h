#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace quibrant::check {

// While it lives, Ctrl-C, a hang-up or a termination request does not kill
// the process at once: `onSignal` runs from the event loop instead, so that
// the check can stop its download and remove what it has written. One at a
// time per process.
class Interruption {
  public:
    explicit Interruption(std::function<void()> onSignal);
    ~Interruption();
    Interruption(const Interruption&) = delete;
    Interruption& operator=(const Interruption&) = delete;

    bool happened() const { return happened_; }

  private:
    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool happened_ = false;
};

}  // namespace quibrant::check
