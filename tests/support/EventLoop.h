#pragma once

// Waiting on the real main loop (Qt's, which also runs GLib's sources) for
// something to happen, instead of sleeping.

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

namespace tunara::testing {

// Processes events until done() holds or the time is up; done()'s value.
inline bool waitUntil(const std::function<bool()>& done, double seconds = 15)
{
    const QDeadlineTimer deadline(qint64(seconds * 1000));
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

// Processes events for the given time.
inline void runFor(double seconds)
{
    waitUntil([] { return false; }, seconds);
}

} // namespace tunara::testing
