#include "check/Interruption.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <utility>

namespace quibrant::check {

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

// A signal handler may do next to nothing: it only writes a byte that the
// event loop then reads.
int wakeFd = -1;
int readFd = -1;
std::array<struct sigaction, kSignals.size()> previous{};

void wakeEventLoop(int /*signal*/) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &byte, 1);
}

}  // namespace

Interruption::Interruption(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        // Without the pipe a signal simply ends the process, as it would anyway.
        return;
    }
    readFd = fds[0];
    wakeFd = fds[1];
    notifier_ = std::make_unique<QSocketNotifier>(readFd, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char bytes[16];
        while (::read(readFd, bytes, sizeof bytes) > 0) {
        }
        happened_ = true;
        onSignal_();
    });
    struct sigaction action {};
    action.sa_handler = wakeEventLoop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &action, &previous[i]);
    }
}

Interruption::~Interruption() {
    if (!notifier_) {
        return;
    }
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &previous[i], nullptr);
    }
    notifier_.reset();
    ::close(readFd);
    ::close(wakeFd);
    readFd = -1;
    wakeFd = -1;
}

}  // namespace quibrant::check
