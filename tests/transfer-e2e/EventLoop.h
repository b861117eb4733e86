#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>
#include <memory>

namespace quibrant::test {

// Lets the application's events run until `done` holds or `timeoutMs` have
// passed; answers whether `done` held.
inline bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    // Wakes the wait below now and then so that `done` is looked at again.
    QTimer wake;
    wake.start(10);
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return done();
}

// Lets the application's events run for `ms` milliseconds.
inline void runFor(int ms) {
    runUntil([] { return false; }, ms);
}

// Runs `action` once, as soon as `condition` holds, from inside whichever
// event loop is running then: the form's piece loop runs nested inside the
// test's, so a check in the test's own loop would only come after it.
inline std::unique_ptr<QTimer> when(std::function<bool()> condition, std::function<void()> action) {
    auto timer = std::make_unique<QTimer>();
    QTimer* probe = timer.get();
    QObject::connect(probe, &QTimer::timeout, [probe, condition, action] {
        if (condition()) {
            probe->stop();
            action();
        }
    });
    probe->start(10);
    return timer;
}

}  // namespace quibrant::test
