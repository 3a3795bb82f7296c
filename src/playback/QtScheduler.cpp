#include "QtScheduler.h"

#include <QCoreApplication>
#include <QTimer>

#include <cmath>

namespace tunara {

namespace {

class QtOneShotTimer final : public OneShotTimer {
public:
    QtOneShotTimer(double seconds, Scheduler::Task task)
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [task = std::move(task)] { task(); });
        timer_.start(static_cast<int>(std::llround(std::max(0.0, seconds) * 1000.0)));
    }

    void invalidate() override { timer_.stop(); }

private:
    QTimer timer_;
};

} // namespace

QtScheduler::QtScheduler()
    : context_(new QObject)
{
}

QtScheduler::~QtScheduler()
{
    delete context_;
}

void QtScheduler::post(Task task)
{
    // A queued call on an object of the main thread runs there, whichever
    // thread posts it.
    QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection);
}

std::unique_ptr<OneShotTimer> QtScheduler::startTimer(double seconds, Task task)
{
    return std::make_unique<QtOneShotTimer>(seconds, std::move(task));
}

} // namespace tunara
