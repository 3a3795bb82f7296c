#include "EventLoop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace tunara::testing {

bool waitUntil(const std::function<bool()>& done, double seconds)
{
    const QDeadlineTimer deadline(qint64(seconds * 1000));
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

void runFor(double seconds)
{
    waitUntil([] { return false; }, seconds);
}

} // namespace tunara::testing
