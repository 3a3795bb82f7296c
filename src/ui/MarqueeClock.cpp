#include "MarqueeClock.h"

#include <algorithm>
#include <cmath>

namespace tunara {

SteadyMarqueeClock::SteadyMarqueeClock(QObject* parent)
    : MarqueeClock(parent)
{
    elapsed_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &MarqueeClock::woke);
}

double SteadyMarqueeClock::now() const
{
    return static_cast<double>(elapsed_.nsecsElapsed()) / 1e9;
}

void SteadyMarqueeClock::wakeAfter(double seconds)
{
    timer_.start(static_cast<int>(std::ceil(std::max(0.0, seconds) * 1000.0)));
}

void SteadyMarqueeClock::cancelWake()
{
    timer_.stop();
}

} // namespace tunara
